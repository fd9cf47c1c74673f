// Closing the dialog makes the main window recompute, whether or not anything was saved.
#include "dialog_fixture.h"

#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QRadioButton>
#include <memory>
#include <optional>

namespace {

class Recompute : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(12, 0)));
        main = std::make_unique<frmTallix>();
        main->RefreshPrayers();
    }
    void TearDown() override {
        DialogTest::TearDown();
        main.reset();
        runtime::SetClock(nullptr);
    }
    // The times the library gives for the day under the settings in force, at a given offset
    // from GMT when there is one.
    QStringList expectedTimes(std::optional<double> gmtHours = std::nullopt) {
        PrayerTime times[7] = {};
        Location loc{};
        CalcMethod conf{};
        main->GetCalculationParameters(loc, conf);
        if (gmtHours)
            loc.GmtDiff = *gmtHours;
        EXPECT_TRUE(main->CalculatePrayerTimes(QDate(2024, 3, 10), loc, conf, times, 0));
        QStringList out;
        for (std::int16_t s = 0; s <= 6; ++s)
            frmTallix::ApplyPrayerAdjustments(times, s);
        for (int s = 1; s <= 6; ++s)
            out << frmTallix::FormatPrayerTimeLong(times[s]);
        return out;
    }
    QStringList shownTimes() const {
        QStringList out;
        for (int s = 1; s <= 6; ++s)
            out << main->lblPrayer[s]->text();
        return out;
    }

    FakeTray tray;
    std::unique_ptr<frmTallix> main;
};

TEST_F(Recompute, PickingLondonShowsLondonsTimes) {
    const QStringList makkah = shownTimes();
    ASSERT_EQ(makkah, expectedTimes());
    main->LastEventCode = 3;
    open();
    dialog->optDayLightSavings[1]->setChecked(true);
    dialog->lstCountry->setCurrentRow(237);
    dialog->lstCity->setCurrentItem(dialog->lstCity->findItems("London", Qt::MatchExactly)[0]);
    dialog->cmdSave_Click();
    ASSERT_TRUE(closed());
    EXPECT_EQ(gCityName, "London");
    EXPECT_EQ(main->LastEventCode, 0) << "the next due event is handled under the new times";
    EXPECT_NE(shownTimes(), makkah);
    EXPECT_EQ(shownTimes(), expectedTimes());
}

// Kathmandu keeps +5:45: picked in the dialog on a machine set to its zone, in the default
// automatic mode, its times are those of +5:45 to the minute, not of +6:00.
TEST_F(Recompute, KathmanduToTheMinute) {
    systemZone = "Asia/Kathmandu";
    open();
    ASSERT_TRUE(dialog->optDayLightSavings[0]->isChecked());
    ASSERT_TRUE(dialog->cboWindowsTimezone->currentText().startsWith("(GMT+05:45)"))
        << dialog->cboWindowsTimezone->currentText().toStdString();
    const auto nepal = dialog->lstCountry->findItems("Nepal", Qt::MatchExactly);
    ASSERT_EQ(nepal.size(), 1);
    dialog->lstCountry->setCurrentItem(nepal[0]);
    const auto city = dialog->lstCity->findItems("Kathmandu", Qt::MatchStartsWith);
    ASSERT_FALSE(city.isEmpty());
    dialog->lstCity->setCurrentItem(city[0]);
    dialog->cmdSave_Click();
    ASSERT_TRUE(closed());
    EXPECT_TRUE(prompts.isEmpty())
        << "the offset agrees with the zone: " << prompts.join("|").toStdString();
    EXPECT_TRUE(zoneCalls.isEmpty());
    EXPECT_EQ(registry.text(kSettingsKey, "TimeZone"), "102");
    EXPECT_EQ(shownTimes().join(' ').toStdString(), expectedTimes(5.75).join(' ').toStdString());
    EXPECT_NE(shownTimes(), expectedTimes(6.0));
    // Noon at 85.32 deg E on 10 March is at 6:29 UTC (the sun 10 minutes late): 12:14 at +5:45.
    // Dhuhr follows it by the stored minute, rounded.
    const std::optional<int> dhuhr = main->PrayerSeconds[3];
    ASSERT_TRUE(dhuhr) << shownTimes()[2].toStdString();
    EXPECT_GE(*dhuhr, (12 * 60 + 14) * 60) << shownTimes()[2].toStdString();
    EXPECT_LE(*dhuhr, (12 * 60 + 17) * 60) << shownTimes()[2].toStdString();
}

TEST_F(Recompute, CancelRecomputesToo) {
    open();
    // Something else changed the settings while the dialog was open.
    gLatitude = 51.5085;
    gLongitude = -0.1257;
    gTimeZone = 30;
    main->LastEventCode = 3;
    dialog->cmdExit_Click();
    ASSERT_TRUE(closed());
    EXPECT_EQ(main->LastEventCode, 3) << "nothing saved, nothing forgotten";
    EXPECT_EQ(shownTimes(), expectedTimes());
}

} // namespace
