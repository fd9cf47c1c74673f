// The place file: what is read from it, choosing countries and cities, and the built-in list
// when the file can't be used.
#include "dialog_fixture.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace {

const QByteArray kFixture = R"(<?xml version="1.0"?>
<places>
  <country name="Aland">
    <city name="Mariehamn"><p>Aland</p><y>601000</y><x>199400</x><z>200</z><d>1</d></city>
  </country>
  <!-- a comment between two countries shifts nothing -->
  <country name="Bland">
    <city name="Springfield |Illinois"><p>Illinois</p><y>398017</y><x>-896437</x><z>-600</z><d>1</d></city>
    <city name="Broken"><p>X</p><y>north</y><x>0</x><z>0</z><d>0</d></city>
    <city name="Short"><p>X</p><y>0</y></city>
    <city name="Kathmandu"><p>Bagmati</p><y>277017</y><x>853206</x><z>575</z><d>0</d></city>
  </country>
  <country name="Cland"/>
</places>
)";

TEST_F(DialogTest, PlaceFileCitiesBelongToTheirOwnCountry) {
    QList<PlaceCountry> places;
    QString reason;
    ASSERT_TRUE(frmPrayerSettings::ReadPlaceFile(placeFile(kFixture), &places, &reason))
        << reason.toStdString();
    ASSERT_EQ(places.size(), 3);
    EXPECT_EQ(places[0].name, "Aland");
    ASSERT_EQ(places[1].cities.size(), 2) << "the two bad records are left out";
    EXPECT_EQ(places[1].cities[0].fullName, "Springfield |Illinois");
    EXPECT_EQ(places[1].cities[1].fullName, "Kathmandu");
    EXPECT_TRUE(places[2].cities.isEmpty());

    // In the dialog: the list box shows the full name, the combo box the part before the "|".
    frmPrayerSettings::PlaceFileOverride = placeFile(kFixture);
    open();
    ASSERT_TRUE(dialog->XmlLoaded);
    dialog->optDayLightSavings[2]->setChecked(true);
    dialog->lstCountry->setCurrentRow(1);
    EXPECT_EQ(dialog->cboCountry->currentIndex(), 1);
    EXPECT_EQ(dialog->lstCity->item(0)->text(), "Springfield |Illinois");
    EXPECT_EQ(dialog->cboCity->itemText(0), "Springfield");
    EXPECT_EQ(dialog->cboCity->currentText(), "Springfield");
    EXPECT_EQ(dialog->txtProvince->text(), "Illinois");
    EXPECT_EQ(dialog->txtLatitude->text(), "39.8017");
    EXPECT_EQ(dialog->txtLongitude->text(), "-89.6437");
    EXPECT_EQ(dialog->cboTimezone->currentText(), "(GMT-06:00)");
    EXPECT_TRUE(dialog->optDayLightSavings[1]->isChecked()) << "flag 1 selects Manual";

    // 5.75 hours rounds to position 42 (half to even), shown as +6:00; flag 0 selects None.
    dialog->cboCity->setCurrentIndex(1);
    EXPECT_EQ(dialog->lstCity->currentRow(), 1);
    EXPECT_EQ(dialog->txtLatitude->text(), "27.7017");
    EXPECT_EQ(dialog->cboTimezone->currentIndex(), 42);
    EXPECT_TRUE(dialog->optDayLightSavings[2]->isChecked());

    // A country with no cities empties both city lists.
    dialog->cboCountry->setCurrentIndex(2);
    EXPECT_EQ(dialog->lstCountry->currentRow(), 2);
    EXPECT_EQ(dialog->lstCity->count(), 0);
}

// A chosen or stored name shows from its start in the combo boxes (a typed one keeps its
// cursor), and the chosen rows of the lists are in view, whole, once the dialog shows.
TEST_F(DialogTest, ChosenNamesShowFromTheStartAndChosenRowsWhole) {
    open();
    ASSERT_TRUE(dialog->XmlLoaded);
    QLineEdit* country = dialog->cboCountry->lineEdit();
    QLineEdit* city = dialog->cboCity->lineEdit();
    EXPECT_FALSE(city->text().isEmpty());
    EXPECT_EQ(city->cursorPosition(), 0) << "the stored city";
    EXPECT_EQ(country->cursorPosition(), 0) << "the stored country";
    dialog->lstCountry->setCurrentRow(dialog->lstCountry->count() - 3);
    EXPECT_EQ(country->cursorPosition(), 0) << country->text().toStdString();
    EXPECT_EQ(city->cursorPosition(), 0) << city->text().toStdString();
    dialog->cboCity->setCurrentIndex(dialog->cboCity->count() - 1);
    EXPECT_EQ(city->cursorPosition(), 0);

    city->setFocus();
    city->end(false);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(city, &key);
    EXPECT_TRUE(city->text().endsWith(QLatin1Char('x')));
    EXPECT_EQ(city->cursorPosition(), city->text().size()) << "typing keeps the cursor";

    dialog->show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    for (QListWidget* list : {dialog->lstCountry, dialog->lstCity}) {
        ASSERT_NE(list->currentItem(), nullptr);
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->currentItem())))
            << list->objectName().toStdString();
    }
}

TEST(StripAfterPipe, Cases) {
    EXPECT_EQ(frmPrayerSettings::StripAfterPipe("London"), "London");
    EXPECT_EQ(frmPrayerSettings::StripAfterPipe("Springfield |IL"), "Springfield");
    EXPECT_EQ(frmPrayerSettings::StripAfterPipe("|x"), "");
    EXPECT_EQ(frmPrayerSettings::StripAfterPipe("a|x"), "");
}

TEST_F(DialogTest, TheRealPlaceFileKeepsTheStoredPositions) {
    QList<PlaceCountry> places;
    QString reason;
    const QString path = frmPrayerSettings::PlaceFileCandidates().front();
    ASSERT_TRUE(frmPrayerSettings::ReadPlaceFile(path, &places, &reason)) << reason.toStdString();
    frmPrayerSettings names;
    names.LoadCountryNames();
    ASSERT_EQ(places.size(), frmPrayerSettings::kCountryCount);
    for (int i = 0; i < frmPrayerSettings::kCountryCount; ++i)
        ASSERT_EQ(places[i].name, names.Countries[i]) << i;
    ASSERT_GT(places[197].cities.size(), 90);
    EXPECT_EQ(places[197].cities[90].fullName, "Makkah");
    EXPECT_NEAR(places[197].cities[90].latitude, 21.4266, 0.01);
    EXPECT_EQ(places[197].cities[90].gmtHours, 3);

    // Opening with the stored defaults selects Makkah, and the controls show the stored values.
    open();
    EXPECT_TRUE(dialog->XmlLoaded);
    EXPECT_EQ(dialog->lstCountry->currentRow(), 197);
    EXPECT_EQ(dialog->lstCity->currentRow(), 90);
    EXPECT_EQ(dialog->cboCity->currentText(), "Makkah");
    EXPECT_EQ(dialog->txtLatitude->text(), "21.4233");
    EXPECT_TRUE(dialog->optCalculationMethod[6]->isChecked());
    EXPECT_FALSE(dialog->Changed);
    EXPECT_TRUE(dialog->lblPlaceFile->isHidden());

    // The United Kingdom brings its default method; London its place and zone.
    dialog->optDayLightSavings[1]->setChecked(true);
    dialog->lstCountry->setCurrentRow(237);
    EXPECT_TRUE(dialog->optCalculationMethod[4]->isChecked());
    EXPECT_TRUE(dialog->optJuristicMethod[1]->isChecked());
    const auto london = dialog->lstCity->findItems("London", Qt::MatchExactly);
    ASSERT_EQ(london.size(), 1);
    dialog->lstCity->setCurrentItem(london.front());
    EXPECT_EQ(dialog->cboCity->currentText(), "London");
    EXPECT_EQ(dialog->txtProvince->text(), "England");
    EXPECT_EQ(dialog->txtLatitude->text(), "51.5085");
    EXPECT_EQ(dialog->cboTimezone->currentText(), "(GMT)");
    EXPECT_TRUE(dialog->optDayLightSavings[1]->isChecked());

    // India: Karachi under the Hanafi Asr.
    dialog->lstCountry->setCurrentRow(106);
    EXPECT_TRUE(dialog->optCalculationMethod[3]->isChecked());
    EXPECT_TRUE(dialog->optJuristicMethod[2]->isChecked());
    EXPECT_TRUE(dialog->Changed);
}

TEST_F(DialogTest, AnUnusablePlaceFileGivesTheBuiltInList) {
    const QByteArray full =
        R"(<places><country name="A"><city name="B"><p/><y>1</y><x>1</x><z>0</z><d>0</d></city></country></places>)";
    struct Case {
        const char* what;
        std::optional<QByteArray> text; // nothing: no file at all
    };
    const Case cases[] = {{"missing", std::nullopt},
                          {"empty", QByteArray()},
                          {"truncated", full.left(full.size() / 2)},
                          {"not XML", "Country,City\nSaudi Arabia,Makkah\n"},
                          {"no countries", "<places/>"}};
    for (const Case& c : cases) {
        frmPrayerSettings::PlaceFileOverride =
            c.text ? placeFile(*c.text) : dir.filePath(QStringLiteral("nothing-here.xml"));
        open();
        EXPECT_FALSE(dialog->XmlLoaded) << c.what;
        EXPECT_FALSE(dialog->lblPlaceFile->isHidden()) << c.what;
        EXPECT_FALSE(dialog->PlaceFileProblem.isEmpty()) << c.what;
        EXPECT_FALSE(dialog->fraLocationByList->isEnabled()) << c.what;
        ASSERT_EQ(dialog->cboCountry->count(), 252) << c.what;
        EXPECT_EQ(dialog->cboCountry->itemText(57), "Cote Dlvoire");
        EXPECT_EQ(dialog->cboCountry->currentIndex(), 197) << c.what;
        EXPECT_EQ(dialog->cboCity->currentText(), "Makkah");
        EXPECT_EQ(dialog->lstCountry->item(0)->text(), dialog->CountryListUnavailableText);
        EXPECT_EQ(dialog->fraLocation->title(), dialog->LocationManualCaption);
        // Choosing a country still chooses its method.
        dialog->cboCountry->setCurrentIndex(171);
        EXPECT_TRUE(dialog->optCalculationMethod[2]->isChecked()) << c.what;
        delete dialog.data();
    }
}

} // namespace
