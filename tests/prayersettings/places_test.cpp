// The place file: what is read from it, choosing countries and cities, and the built-in list
// when the file can't be used.
#include "dialog_fixture.h"
#include "fakes/child_process.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <sys/stat.h>

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
    PlaceFile places;
    QString reason;
    ASSERT_TRUE(places.Open(placeFile(kFixture), &reason)) << reason.toStdString();
    ASSERT_EQ(places.CountryCount(), 3);
    EXPECT_EQ(places.CountryName(0), "Aland");
    const QList<PlaceCity> bland = places.Cities(1);
    ASSERT_EQ(bland.size(), 2) << "the two bad records are left out";
    EXPECT_EQ(bland[0].fullName, "Springfield |Illinois");
    EXPECT_EQ(bland[1].fullName, "Kathmandu");
    EXPECT_EQ(bland[1].gmtHours, 5.75);
    EXPECT_TRUE(places.Cities(2).isEmpty());

    // In the dialog, sorted by name: the list box shows the name and what the "|" sets apart
    // after a comma, the combo box the part before the "|".
    frmPrayerSettings::PlaceFileOverride = placeFile(kFixture);
    open();
    ASSERT_TRUE(dialog->XmlLoaded);
    dialog->optDayLightSavings[2]->setChecked(true);
    dialog->lstCountry->setCurrentRow(1);
    EXPECT_EQ(dialog->cboCountry->currentIndex(), 1);
    ASSERT_EQ(dialog->lstCity->count(), 2);
    EXPECT_EQ(dialog->lstCity->item(1)->text(), "Springfield, Illinois");
    EXPECT_EQ(dialog->cboCity->itemText(1), "Springfield");
    dialog->lstCity->setCurrentRow(1);
    EXPECT_EQ(dialog->cboCity->currentText(), "Springfield");
    EXPECT_EQ(dialog->txtProvince->text(), "Illinois");
    EXPECT_EQ(dialog->txtLatitude->text(), "39.8017");
    EXPECT_EQ(dialog->txtLongitude->text(), "-89.6437");
    EXPECT_EQ(dialog->cboTimezone->currentText(), "(GMT-06:00)");
    EXPECT_TRUE(dialog->optDayLightSavings[1]->isChecked()) << "flag 1 selects Manual";

    // 5.75 hours is Nepal's quarter hour, stored as index 102; flag 0 selects None.
    dialog->cboCity->setCurrentIndex(0);
    EXPECT_EQ(dialog->lstCity->currentRow(), 0);
    EXPECT_EQ(dialog->cboCity->currentText(), "Kathmandu");
    EXPECT_EQ(dialog->txtLatitude->text(), "27.7017");
    EXPECT_EQ(dialog->cboTimezone->currentText(), "(GMT+05:45)");
    EXPECT_EQ(dialog->SelectedZoneIndex(), 102);
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
    PlaceFile places;
    QString reason;
    const QString path = frmPrayerSettings::PlaceFileCandidates().front();
    ASSERT_TRUE(places.Open(path, &reason)) << reason.toStdString();
    frmPrayerSettings names;
    names.LoadCountryNames();
    ASSERT_EQ(places.CountryCount(), frmPrayerSettings::kCountryCount);
    for (int i = 0; i < frmPrayerSettings::kCountryCount; ++i)
        ASSERT_EQ(places.CountryName(i), names.Countries[i]) << i;
    const QList<PlaceCity> saudiArabia = places.Cities(197);
    ASSERT_GT(saudiArabia.size(), 90);
    EXPECT_EQ(saudiArabia[90].fullName, "Makkah");
    EXPECT_NEAR(saudiArabia[90].latitude, 21.4266, 0.01);
    EXPECT_EQ(saudiArabia[90].gmtHours, 3);

    // Opening with the stored defaults selects Makkah, and the controls show the stored values.
    open();
    EXPECT_TRUE(dialog->XmlLoaded);
    EXPECT_EQ(dialog->lstCountry->currentRow(), 197);
    // The list is sorted by name; the stored position is the file's, and still finds Makkah.
    EXPECT_EQ(dialog->CityIndexAt(dialog->lstCity->currentRow()), 90);
    EXPECT_EQ(dialog->lstCity->currentItem()->text(), "Makkah");
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

// Border towns keep their own country's clock, though a coordinate lookup puts them in a
// neighbour's zone; the West Bank has its places.
TEST(RealPlaceFile, EveryTownKeepsItsOwnCountrysClock) {
    PlaceFile places;
    QString reason;
    const QString path = frmPrayerSettings::PlaceFileCandidates().front();
    ASSERT_TRUE(places.Open(path, &reason)) << reason.toStdString();
    ASSERT_EQ(places.CountryCount(), frmPrayerSettings::kCountryCount);
    const auto citiesOf = [&](const char* name) {
        for (int i = 0; i < places.CountryCount(); ++i)
            if (places.CountryName(i) == QString::fromUtf8(name))
                return places.Cities(i);
        return QList<PlaceCity>();
    };
    struct Town {
        const char* country;
        const char* city;
        double gmtHours;
        int dstFlag;
    };
    const Town towns[] = {
        {"East Timor", "Dili", 9, 0},      {"Indonesia", "Jayapura", 9, 0},
        {"Afghanistan", "Zaranj", 4.5, 0}, {"Albania", "Gjirokastër", 1, 1},
        {"Albania", "Sarandë", 1, 1},      {"Panama", "Alanje", -5, 0},
        {"Jordan", "Al Karāmah", 3, 0},    {"Malaysia", "Kuala Selangor", 8, 0},
        {"Nepal", "Kathmandu", 5.75, 0},   {"West Bank", "Ramallah", 2, 1},
        {"Saudi Arabia", "Makkah", 3, 0},
    };
    for (const Town& t : towns) {
        SCOPED_TRACE(t.city);
        const QList<PlaceCity> cities = citiesOf(t.country);
        const auto city = std::find_if(cities.begin(), cities.end(), [&](const PlaceCity& c) {
            return c.fullName == QString::fromUtf8(t.city);
        });
        ASSERT_NE(city, cities.end());
        EXPECT_EQ(city->gmtHours, t.gmtHours);
        EXPECT_EQ(city->dstFlag, t.dstFlag);
    }
    // Countries of one clock: every town of them keeps it.
    const Town wholeCountries[] = {{"East Timor", "", 9, 0},
                                   {"Panama", "", -5, 0},
                                   {"Jordan", "", 3, 0},
                                   {"Malaysia", "", 8, 0}};
    for (const Town& t : wholeCountries) {
        SCOPED_TRACE(t.country);
        const QList<PlaceCity> cities = citiesOf(t.country);
        ASSERT_FALSE(cities.isEmpty());
        for (const PlaceCity& c : cities) {
            EXPECT_EQ(c.gmtHours, t.gmtHours) << c.fullName.toStdString();
            EXPECT_EQ(c.dstFlag, t.dstFlag) << c.fullName.toStdString();
        }
    }
    EXPECT_EQ(places.CountryName(247), "West Bank");
    EXPECT_GT(places.Cities(247).size(), 50) << "the West Bank lists its towns";
    EXPECT_EQ(places.CountryName(197), "Saudi Arabia");
    const QList<PlaceCity> saudiArabia = places.Cities(197);
    ASSERT_GT(saudiArabia.size(), 90);
    EXPECT_EQ(saudiArabia[90].fullName, "Makkah");
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

// Files that are no place file, or one past the limits, are refused at once with the reason,
// and the dialog falls back on the built-in list.
TEST_F(DialogTest, APlaceFilePastTheLimitsIsRefusedAtOnce) {
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
    };
    const QByteArray city = R"(<city name="C"><p/><y>1</y><x>1</x><z>0</z><d>0</d></city>)";
    const QString fifo = dir.filePath(QStringLiteral("fifo.xml"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath(QStringLiteral("huge.xml"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(1) << 30)); // sparse: a gigabyte of zeros, no disk used
    }
    QByteArray deep = "<places>" + QByteArray("<a>").repeated(200000) +
                      QByteArray("</a>").repeated(200000) + "</places>";
    QByteArray oneCountry =
        "<places><country name=\"A\">" + city.repeated(100000) + "</country></places>";
    QByteArray manyCountries = "<places>";
    for (int i = 0; i < 200; ++i)
        manyCountries += "<country name=\"A\">" + city.repeated(500) + "</country>\n";
    manyCountries += "</places>";
    struct Case {
        QString path;
        const char* why; // what the line under the location frames says
    };
    const Case cases[] = {
        {fifo, "not a regular file"},
        {QStringLiteral("/dev/zero"), "not a regular file"},
        {dir.path(), "not a regular file"},
        {huge, "larger than 8 MB"},
        {write(QStringLiteral("deep.xml"), deep), "nested more than 16 deep"},
        {write(QStringLiteral("one.xml"), oneCountry), "more than 1000 cities"},
        {write(QStringLiteral("many.xml"), manyCountries), "more than 50000 cities"},
    };
    deep.clear();
    oneCountry.clear();
    manyCountries.clear();

    // First in a child process with a deadline, so a reader that hangs or dies fails the test
    // instead of holding the run up.
    const int failures = RunInChild(
        [&] {
            int failed = 0;
            for (const Case& c : cases) {
                PlaceFile places;
                QString reason;
                if (places.Open(c.path, &reason) || !reason.contains(QLatin1String(c.why)))
                    ++failed;
            }
            return failed;
        },
        60000);
    ASSERT_NE(failures, -1) << "reading the files did not end within a minute";
    ASSERT_EQ(failures, 0) << "files read, or refused without their reason (or the reader died)";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        frmPrayerSettings::PlaceFileOverride = c.path;
        open();
        EXPECT_FALSE(dialog->XmlLoaded);
        EXPECT_TRUE(dialog->PlaceFileProblem.contains(QLatin1String(c.why)))
            << dialog->PlaceFileProblem.toStdString();
        EXPECT_TRUE(dialog->lblPlaceFile->text().contains(dialog->PlaceFileProblem));
        EXPECT_FALSE(dialog->lblPlaceFile->isHidden());
        EXPECT_EQ(dialog->cboCountry->count(), 252);
        delete dialog.data();
    }
}

// Markup that breaks off inside a country: the cities before the break are listed, and the
// line under the location frames says where the file is broken.
TEST_F(DialogTest, ACountryWhoseMarkupBreaksOffSaysWhy) {
    frmPrayerSettings::PlaceFileOverride = placeFile(R"(<places>
<country name="A"><city name="B"><p/><y>1</y><x>1</x><z>0</z><d>0</d></city></country>
<country name="C">
<city name="D"><p/><y>2</y><x>2</x><z>0</z><d>0</d></city>
<city name="E"><p/><y>3</y><x>3</x><z>0</q><d>0</d></city>
<city name="F"><p/><y>4</y><x>4</x><z>0</z><d>0</d></city>
</country></places>)");
    open();
    ASSERT_TRUE(dialog->XmlLoaded);
    dialog->lstCountry->setCurrentRow(1);
    ASSERT_EQ(dialog->lstCity->count(), 1);
    EXPECT_EQ(dialog->lstCity->item(0)->text(), "D");
    EXPECT_FALSE(dialog->lblPlaceFile->isHidden());
    EXPECT_TRUE(dialog->lblPlaceFile->text().contains(QLatin1String("line 5")))
        << dialog->lblPlaceFile->text().toStdString();
    dialog->lstCountry->setCurrentRow(0);
    EXPECT_EQ(dialog->lstCity->count(), 1);
    EXPECT_TRUE(dialog->lblPlaceFile->isHidden());
}

// The file is read a window at a time: a comment or a tag longer than a window, and marks
// inside quoted values, are taken whole. A country's cities come from the file as it was
// opened; a file replaced since says so.
TEST_F(DialogTest, LongTokensAndAChangedFile) {
    const QByteArray city =
        R"(<city name="a &gt; b"><p>x</p><y>1</y><x>2</x><z>300</z><d>0</d></city>)";
    const QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<places>\n<!-- " +
                            QByteArray(300000, '-').replace("--", "- ") + " -->\n" +
                            "<country name=\"Q &quot;>&quot; " + QByteArray(300000, 'x') +
                            "\" code='a>b'>\n" + city + "\n</country>\n<country name=\"R\">" +
                            city.repeated(3) + "</country>\n</places>\n";
    PlaceFile places;
    QString reason;
    const QString path = placeFile(text);
    ASSERT_TRUE(places.Open(path, &reason)) << reason.toStdString();
    ASSERT_EQ(places.CountryCount(), 2);
    EXPECT_TRUE(places.CountryName(0).startsWith(QStringLiteral("Q \">\" xxx")));
    EXPECT_EQ(places.CountryName(1), "R");
    const QList<PlaceCity> q = places.Cities(0);
    ASSERT_EQ(q.size(), 1);
    EXPECT_EQ(q[0].fullName, "a > b");
    EXPECT_EQ(q[0].gmtHours, 3);
    EXPECT_EQ(places.Cities(1).size(), 3);

    // Replaced after opening: the cities are not taken from another file's bytes.
    QFile::remove(path);
    placeFile("<places><country name=\"R\"/></places>");
    QString problem;
    EXPECT_TRUE(places.Cities(1, &problem).isEmpty());
    EXPECT_TRUE(problem.contains(QLatin1String("changed"))) << problem.toStdString();
}

} // namespace
