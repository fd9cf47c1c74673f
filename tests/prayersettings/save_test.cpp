// OK, Cancel and Restore Defaults: what reaches the store and the settings state, the range
// check of the coordinates and the system zone under automatic daylight saving.
#include "dialog_fixture.h"

#include "fakes/wait_for.h"

#include <QRadioButton>
#include <QShortcut>

namespace {

TEST_F(DialogTest, SaveRoundTripOfEveryValue) {
    open();
    dialog->optDayLightSavings[1]->setChecked(true);
    dialog->lstCountry->setCurrentRow(237);
    dialog->lstCity->setCurrentItem(dialog->lstCity->findItems("London", Qt::MatchExactly)[0]);
    dialog->txtProvince->setText("  Greater London ");
    dialog->optJuristicMethod[2]->setChecked(true);
    dialog->optCalculationMethod[7]->setChecked(true);
    dialog->cboFajrDegrees->setCurrentIndex(37);
    dialog->cboIshaDegrees->setCurrentIndex(35);
    dialog->cboFajrDegreesDifference->setCurrentIndex(30);
    dialog->cboIshaMinutes->setCurrentIndex(12);
    dialog->cboMaghribMinutes->setCurrentIndex(3);
    dialog->chkMinuteAdjust->setChecked(true);
    for (int i = 1; i <= 6; ++i)
        dialog->cboMinuteAdjust[i]->setCurrentIndex(i == 1 ? 0 : i == 2 ? 20 : 10 + i);
    dialog->cboDhuhrMinutes->setCurrentIndex(5);
    dialog->cboRounding->setCurrentIndex(3);
    dialog->cboDaylightSavingsTime->setCurrentIndex(2);
    dialog->cmdSave_Click();
    ASSERT_TRUE(prompts.isEmpty()) << prompts.join("|").toStdString();
    EXPECT_TRUE(zoneCalls.isEmpty()) << "Manual daylight saving leaves the system zone";

    auto stored = [&](const char* name) {
        return registry.text(kSettingsKey, QString::fromLatin1(name));
    };
    const std::pair<const char*, const char*> expected[] = {
        {"JuristicMethod", "2"},      {"CalculationMethod", "7"}, {"TimeZone", "30"},
        {"Latitude", "51.5085"},      {"Longitude", "-0.1257"},   {"Country", "United Kingdom"},
        {"CountryIndex", "237"},      {"CityName", "London"},     {"Province", "Greater London"},
        {"FajrDegrees", "37"},        {"IshaDegrees", "35"},      {"FajrDegreesDifference", "30"},
        {"IshaMinutes", "12"},        {"MaghribMinutes", "3"},    {"MinuteAdjustActive", "1"},
        {"MinuteAdjust1", "-10"},     {"MinuteAdjust2", "10"},    {"MinuteAdjust3", "3"},
        {"MinuteAdjust6", "6"},       {"DhuhrMinutes", "5"},      {"Rounding", "3"},
        {"DaylightSavingsTime", "2"}, {"DaylightSavings", "1"}};
    for (const auto& [name, text] : expected)
        EXPECT_EQ(stored(name), text) << name;
    EXPECT_EQ(gCountryIndex, 237);
    EXPECT_EQ(gCityName, "London");
    EXPECT_EQ(stored("CityIndex"), QString::number(gCityIndex));
    EXPECT_GE(gCityIndex, 0);
    EXPECT_DOUBLE_EQ(gLatitude, 51.5085);
    EXPECT_EQ(gMinuteAdjust[1], -10);
    EXPECT_EQ(gCalcMethod, 7);
    EXPECT_EQ(gTimeZone, 30);
    EXPECT_TRUE(closed()) << "OK closes the dialog";

    // The next opening shows what was saved.
    open();
    EXPECT_EQ(dialog->lstCountry->currentRow(), 237);
    EXPECT_EQ(dialog->cboCity->currentText(), "London");
    EXPECT_EQ(dialog->txtProvince->text(), "Greater London");
    EXPECT_TRUE(dialog->optCalculationMethod[7]->isChecked());
    EXPECT_TRUE(dialog->optJuristicMethod[2]->isChecked());
    EXPECT_EQ(dialog->cboMinuteAdjust[2]->currentIndex(), 20);
    EXPECT_EQ(dialog->cboRounding->currentIndex(), 3);
    EXPECT_TRUE(dialog->optDayLightSavings[1]->isChecked());
    EXPECT_FALSE(dialog->Changed);
}

// A city typed by hand (it has no position in the list) is what the next start loads, with its
// coordinates, and the dialog shows it again.
TEST_F(DialogTest, ATypedCitySurvivesTheNextStart) {
    open();
    dialog->lstCountry->setCurrentRow(237);
    dialog->cboCity->setEditText("Little Snoring");
    dialog->txtLatitude->setText("52.8612");
    dialog->txtLongitude->setText("0.9011");
    dialog->optDayLightSavings[2]->setChecked(true);
    dialog->Changed = true;
    dialog->cmdSave_Click();
    ASSERT_TRUE(closed());
    EXPECT_EQ(registry.text(kSettingsKey, "CityIndex"), "-1");
    prompts.clear();
    ASSERT_TRUE(LoadSettings());
    EXPECT_TRUE(prompts.isEmpty()) << prompts.join("|").toStdString();
    EXPECT_EQ(gCityName, "Little Snoring");
    EXPECT_EQ(gCountry, "United Kingdom");
    EXPECT_EQ(gCityIndex, -1);
    EXPECT_DOUBLE_EQ(gLatitude, 52.8612);
    EXPECT_DOUBLE_EQ(gLongitude, 0.9011);
    EXPECT_EQ(gTimeZone, 30);
    open();
    EXPECT_EQ(dialog->cboCity->currentText(), "Little Snoring");
    EXPECT_EQ(dialog->lstCountry->currentRow(), 237);
    EXPECT_EQ(dialog->txtLatitude->text(), "52.8612");
}

// With a decimal comma the boxes show commas, and the store still holds points.
TEST_F(DialogTest, CoordinatesInACommaLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    locale.texts[LOCALE_SDECIMAL] = QStringLiteral(",");
    open();
    EXPECT_EQ(dialog->txtLatitude->text(), "21,4233");
    dialog->txtLatitude->setText("-33,75");
    dialog->txtLongitude->setText("151,2");
    dialog->optDayLightSavings[2]->setChecked(true);
    dialog->cmdSave_Click();
    QLocale::setDefault(before);
    EXPECT_EQ(registry.text(kSettingsKey, "Latitude"), "-33.75");
    EXPECT_EQ(registry.text(kSettingsKey, "Longitude"), "151.2");
    EXPECT_DOUBLE_EQ(gLatitude, -33.75);
    EXPECT_DOUBLE_EQ(gLongitude, 151.2);
}

TEST_F(DialogTest, CancelAndUnchangedOkWriteNothing) {
    open();
    registry.writes.clear();
    dialog->cmdSave_Click();
    EXPECT_TRUE(closed());
    open();
    dialog->cboRounding->setCurrentIndex(0);
    dialog->cmdExit_Click();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(registry.writes.isEmpty()) << registry.writes.join(",").toStdString();
}

// Esc is Cancel, as in the preferences: the dialog goes and nothing typed is written.
TEST_F(DialogTest, EscapeCancels) {
    open();
    registry.writes.clear();
    dialog->txtLatitude->setText(QStringLiteral("12.5"));
    dialog->txtLatitude->setFocus();
    QShortcut* escape = nullptr;
    for (QShortcut* shortcut : dialog->findChildren<QShortcut*>())
        if (shortcut->key() == QKeySequence(Qt::Key_Escape))
            escape = shortcut;
    ASSERT_NE(escape, nullptr);
    EXPECT_EQ(escape->context(), Qt::WindowShortcut);
    emit escape->activated();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(registry.writes.isEmpty()) << registry.writes.join(",").toStdString();
}

TEST_F(DialogTest, OutOfRangeCoordinatesAreRefused) {
    for (const char* box : {"latitude", "longitude"}) {
        open();
        registry.writes.clear();
        const bool lat = QString::fromLatin1(box) == "latitude";
        (lat ? dialog->txtLatitude : dialog->txtLongitude)->setText(lat ? "90.5" : "-181");
        // Leaving the box keeps the number; OK refuses it.
        lat ? dialog->txtLatitude_Validate() : dialog->txtLongitude_Validate();
        prompts.clear();
        dialog->cmdSave_Click();
        ASSERT_FALSE(closed()) << box << ": the dialog stays open";
        ASSERT_EQ(prompts.size(), 1);
        EXPECT_TRUE(prompts[0].contains(lat ? "latitude" : "longitude"))
            << prompts[0].toStdString();
        EXPECT_TRUE(registry.writes.isEmpty());
        EXPECT_TRUE(dialog->Changed);
        EXPECT_EQ((lat ? dialog->txtLatitude : dialog->txtLongitude)->text(),
                  lat ? "90.5" : "-181");
        delete dialog.data();
    }
}

TEST_F(DialogTest, AutomaticDaylightSavingSetsTheSystemZoneOnlyWhenItDiffers) {
    open();
    ASSERT_TRUE(dialog->optDayLightSavings[0]->isChecked());
    ASSERT_TRUE(dialog->cboWindowsTimezone->currentText().startsWith("(GMT+03:00)"))
        << dialog->cboWindowsTimezone->currentText().toStdString();
    dialog->cboRounding->setCurrentIndex(0);
    dialog->cmdSave_Click();
    EXPECT_TRUE(zoneCalls.isEmpty()) << "Riyadh's zone is already the system's";
    EXPECT_TRUE(prompts.isEmpty());

    // Another zone with a matching offset: set, without a question.
    open();
    dialog->cboTimezone->setCurrentIndex(30);
    const int row = zoneRow(dialog->cboWindowsTimezone, "(GMT) London");
    ASSERT_GE(row, 0);
    dialog->cboWindowsTimezone->setCurrentIndex(row);
    dialog->cmdSave_Click();
    EXPECT_TRUE(WaitFor([&] { return closed(); }, 10000)) << "the answer closes the dialog";
    EXPECT_TRUE(prompts.isEmpty());
    ASSERT_EQ(zoneCalls.size(), 1);
    EXPECT_EQ(zoneCalls[0], "Europe/London");
    EXPECT_EQ(registry.text(kSettingsKey, "TimeZone"), "30");

    // A refusal is told, and the other settings are saved all the same.
    refuseZone = true;
    zoneCalls.clear();
    open();
    dialog->cboTimezone->setCurrentIndex(30);
    dialog->cboWindowsTimezone->setCurrentIndex(row);
    dialog->cboRounding->setCurrentIndex(1);
    dialog->cmdSave_Click();
    EXPECT_EQ(zoneCalls.size(), 1);
    ASSERT_TRUE(WaitFor([&] { return !prompts.isEmpty(); }, 10000)) << "the refusal is told";
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_TRUE(prompts[0].contains("Access denied"));
    EXPECT_EQ(registry.text(kSettingsKey, "Rounding"), "1");
    EXPECT_TRUE(closed());
}

TEST_F(DialogTest, ZoneMismatchAsksBeforeSaving) {
    open();
    dialog->cboTimezone->setCurrentIndex(38); // (GMT+04:00) against Riyadh's +03:00
    answer = vbNo;
    dialog->cmdSave_Click();
    ASSERT_FALSE(closed());
    EXPECT_EQ(prompts.size(), 1);
    EXPECT_TRUE(dialog->Changed);
    // With Manual the question never comes.
    dialog->optDayLightSavings[1]->setChecked(true);
    prompts.clear();
    dialog->cmdSave_Click();
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(closed());
    EXPECT_EQ(gTimeZone, 38);
}

TEST_F(DialogTest, RestoreDefaults) {
    gCountryIndex = 237;
    gCityIndex = 0;
    gCalcMethod = 4;
    gRounding = 0;
    gLatitude = 51.5;
    open();
    answer = vbNo;
    dialog->cmdDefaults_Click();
    EXPECT_EQ(dialog->lstCountry->currentRow(), 237);
    EXPECT_FALSE(dialog->Changed);

    answer = vbYes;
    dialog->cmdDefaults_Click();
    EXPECT_EQ(dialog->lstCountry->currentRow(), 197);
    EXPECT_EQ(dialog->cboCity->currentText(), "Makkah");
    EXPECT_EQ(dialog->txtLatitude->text(), "21.4266") << "Makkah's own record";
    EXPECT_EQ(dialog->cboTimezone->currentIndex(), 36);
    EXPECT_TRUE(dialog->optCalculationMethod[6]->isChecked());
    EXPECT_EQ(dialog->cboRounding->currentIndex(), 2);
    EXPECT_TRUE(dialog->optDayLightSavings[0]->isChecked());
    EXPECT_TRUE(dialog->Changed);

    registry.writes.clear();
    dialog->cmdExit_Click();
    EXPECT_TRUE(registry.writes.isEmpty());
    EXPECT_EQ(gCalcMethod, 4);
}

} // namespace
