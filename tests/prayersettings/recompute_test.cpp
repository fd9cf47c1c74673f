// Closing the dialog makes the main window recompute, whether or not anything was saved.
#include "dialog_fixture.h"

#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QRadioButton>
#include <memory>

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
    // The times the library gives for the day under the settings in force.
    QStringList expectedTimes() {
        PrayerTime times[7] = {};
        Location loc{};
        CalcMethod conf{};
        main->GetCalculationParameters(loc, conf);
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
