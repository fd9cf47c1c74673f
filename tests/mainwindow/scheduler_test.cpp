// The alert scheduler: which watched moment is due, acting once per event, the seconds a busy
// thread missed, and how athans and reminders are announced.
#include "core/audio.h"
#include "core/mHooks.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "mainwindow/mTray.h"
#include "platform/registry.h"
#include "platform/wndproc.h"
#include "runtime/Clock.h"
#include "runtime/ResStrings.h"
#include "shown_times.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QDate kDay(2024, 3, 10);

class Scheduler : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        gMuteAll = 0;
        // A different recording for each athan, so the test can tell them apart.
        for (int slot = 0; slot <= 4; ++slot) {
            gAudioType[slot] = 1;
            gSelectedSound[slot] = std::int16_t(slot);
        }
        gAudioType[7] = 1;
        gSelectedSound[7] = 0;
        gDisplayMainScreen = 0;
        gDisplayBalloonTips = 1;
        gFlashTrayIcon = 1;
        gDisplayMainScreenReminder = 0;
        gDisplayBalloonTipsReminder = 1;
        gFlashTrayIconReminder = 1;
        at(QTime(10, 0, 0));
        window = std::make_unique<frmTallix>();
        AddTrayIcon(window->hWnd(), 0, QString(QChar(0)));
        HookMainWindow(window->hWnd());
        window->RefreshPrayers();
        sound.clear();
    }
    void TearDown() override {
        UnhookMainWindow(window->hWnd());
        RemoveTrayIcon(window->hWnd());
        window.reset();
        runtime::SetClock(nullptr);
    }
    static void at(const QTime& t) { runtime::SetClock(QDateTime(kDay, t)); }
    QTime timeOf(int slot) const {
        const auto s = window->PrayerSeconds[slot];
        EXPECT_TRUE(s.has_value()) << window->lblPrayer[slot]->text().toStdString();
        return QTime(0, 0).addSecs(s.value_or(0));
    }
    // The athans and reminder sounds played, by slot.
    QVector<int> alerts() const {
        QVector<int> played;
        for (const auto& c : sound.calls())
            for (int slot : {0, 1, 2, 3, 4, 7})
                if (!c.name.isEmpty() &&
                    c.name == BuiltInSoundName(std::int16_t(slot), gSelectedSound[slot])) {
                    played.append(slot);
                    break;
                }
        return played;
    }
    // The user's EnableBalloonTips value; -1 removes it.
    static void setBalloonTips(LONG value) {
        HKEY key = 0;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", 0,
                            QString(), 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        const DWORD v = DWORD(value);
        if (value >= 0)
            RegSetValueExA(key, "EnableBalloonTips", 0, REG_DWORD, &v, sizeof v);
        else
            RegDeleteValueA(key, "EnableBalloonTips");
        RegCloseKey(key);
    }
    QVector<QString> balloons() const {
        QVector<QString> texts;
        for (const auto& c : tray.calls())
            if (c.data.uFlags == NIF_INFO)
                texts.append(platform::FieldText(c.data.szInfo, 256));
        return texts;
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeSystem system;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
};

TEST_F(Scheduler, EachCodeIsDueAtItsSecondInTheTestOrder) {
    auto& w = *window;
    const QStringList times = {"5:00:00 AM", "6:20:00 AM", "12:30:00 PM",
                               "3:45:00 PM", "6:40:00 PM", "12:20:00 AM"};
    ShowTimes(w, times);
    w.ReminderBeforeSeconds = 15 * 3600 + 30 * 60;
    w.ReminderAfterSeconds = 12 * 3600 + 45 * 60;
    const auto on = [](int day, const QTime& t) { return QDateTime(kDay.addDays(day), t); };
    const struct {
        QDateTime t;
        int code;
    } cases[] = {{on(0, QTime(5, 0)), 1},
                 {on(0, QTime(6, 20)), 2},
                 {on(0, QTime(12, 30)), 3},
                 {on(0, QTime(15, 45)), 4},
                 {on(0, QTime(18, 40)), 5},
                 {on(1, QTime(0, 20)), 6},
                 {on(0, QTime(15, 30)), 11},
                 {on(0, QTime(12, 45)), 12},
                 {on(1, QTime(0, 0)), 10},
                 {on(0, QTime(12, 30, 1)), -1},
                 // The shown day's Ishaa after midnight is due after the coming midnight only,
                 // and a time is due on the shown day only.
                 {on(0, QTime(0, 20)), -1},
                 {on(1, QTime(12, 30)), -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(w.GetDueEventAt(c.t), c.code);
    }
    // A reminder of 0 minutes falls on the prayer's own second: the prayer wins.
    w.ReminderBeforeSeconds = w.PrayerSeconds[4];
    EXPECT_EQ(w.GetDueEventAt(on(0, QTime(15, 45))), 4);
    // A slot without a time does not silence what comes after it.
    ShowTimes(w, {"N/A", "6:20:00 AM", "12:30:00 PM", "3:45:00 PM", "6:40:00 PM", "N/A"});
    w.ReminderBeforeSeconds.reset();
    w.ReminderAfterSeconds.reset();
    EXPECT_EQ(w.GetDueEventAt(on(0, QTime(12, 30))), 3);
    EXPECT_EQ(w.GetDueEventAt(on(0, QTime(0, 0))), 10);
}

TEST_F(Scheduler, AnAthanRunsOnceOnTheFirstTickOfItsSecond) {
    const QTime dhuhr = timeOf(3);
    at(dhuhr.addSecs(-1));
    window->tmrMain_Timer();
    sound.clear();
    at(dhuhr);
    window->tmrMain_Timer();
    window->tmrMain_Timer(); // a second tick in the same second
    at(dhuhr.addSecs(1));
    window->tmrMain_Timer();
    EXPECT_EQ(alerts(), QVector<int>{1});
    EXPECT_EQ(window->LastEventCode, 3);
    // The balloon names the prayer just called, through the prayer after it.
    EXPECT_EQ(balloons(), QVector<QString>{LoadResString(128)});

    // A clock change lets the same event act again.
    SendMessageA(window->hWnd(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(window->LastEventCode, 0);
    at(dhuhr);
    window->tmrMain_Timer();
    EXPECT_EQ(alerts(), (QVector<int>{1, 1}));
}

TEST_F(Scheduler, SecondsABusyThreadMissedAreCaughtUpWithinAMinute) {
    const QTime dhuhr = timeOf(3);
    // Two seconds without a tick, Dhuhr among them: the athan still comes, once.
    at(dhuhr.addSecs(-1));
    window->tmrMain_Timer();
    sound.clear();
    at(dhuhr.addSecs(2));
    window->tmrMain_Timer();
    EXPECT_EQ(alerts(), QVector<int>{1});
    at(dhuhr.addSecs(3));
    window->tmrMain_Timer();
    EXPECT_EQ(alerts(), QVector<int>{1});

    // Asr after a gap of 61 seconds (a suspend, say): nothing is replayed.
    const QTime asr = timeOf(4);
    at(asr.addSecs(-30));
    window->tmrMain_Timer();
    sound.clear();
    at(asr.addSecs(31));
    window->tmrMain_Timer();
    EXPECT_TRUE(alerts().isEmpty());
    // The day was recomputed for the time it is now: Asr is the current prayer.
    EXPECT_EQ(window->GetNextPrayer(), 5);
}

TEST_F(Scheduler, AResumeOrClockSetIsNotCaughtUp) {
    const QTime asr = timeOf(4);
    at(asr.addSecs(-10));
    window->tmrMain_Timer();
    sound.clear();
    SendMessageA(window->hWnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    at(asr.addSecs(10));
    window->tmrMain_Timer();
    EXPECT_TRUE(alerts().isEmpty());
}

TEST_F(Scheduler, AnAthanThatCannotPlayBeepsAndIsStillAnnounced) {
    const QTime asr = timeOf(4);
    sound.failingNames.insert(BuiltInSoundName(2, gSelectedSound[2]));
    at(asr.addSecs(-1));
    window->tmrMain_Timer();
    tray.clear();
    at(asr);
    window->tmrMain_Timer();
    EXPECT_EQ(window->LastEventCode, 4);
    EXPECT_EQ(sound.beeps(), 1);
    EXPECT_EQ(balloons(), QVector<QString>{LoadResString(129)});
}

TEST_F(Scheduler, AnnouncementsFollowTheOptions) {
    const QTime maghrib = timeOf(5);
    const struct {
        const char* what;
        std::int16_t balloon;
        LONG tipsEnabled; // EnableBalloonTips, -1 when not set
        std::int16_t flash;
        bool balloonShown;
        bool flashing;
    } cases[] = {
        {"balloon", 1, -1, 1, true, false},
        {"balloons switched off for the user: flash", 1, 0, 1, false, true},
        {"no balloon: flash", 0, -1, 1, false, true},
        {"nothing visible", 0, -1, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopTrayFlash();
        tray.clear();
        gDisplayBalloonTips = c.balloon;
        gFlashTrayIcon = c.flash;
        setBalloonTips(c.tipsEnabled);
        window->LastEventCode = 0;
        at(maghrib);
        window->LastTickTime = QDateTime();
        window->tmrMain_Timer();
        EXPECT_EQ(!balloons().isEmpty(), c.balloonShown);
        EXPECT_EQ(window->tmrFlash->isActive(), c.flashing);
        EXPECT_EQ(window->TrayFlashKind, c.flashing ? 0 : window->TrayFlashKind);
    }
}

// The About box goes; settings dialogs stay open, with what the user typed, however many.
TEST_F(Scheduler, AnAthanBringsUpTheWindowClosesTheAboutBoxAndKeepsTheSettingsDialogs) {
    gDisplayMainScreen = 1;
    for (const char* name : {"frmPreferences", "frmPrayerSettings"})
        (new Form(QString::fromLatin1(name)))->Show();
    window->hide();
    window->LastEventCode = 0;
    window->AthanNotify();
    EXPECT_TRUE(window->isVisible());
    for (const char* name : {"frmPreferences", "frmPrayerSettings"})
        EXPECT_TRUE(IsFormLoaded(QString::fromLatin1(name))) << name;
    (new Form(QStringLiteral("frmSplash")))->Show();
    window->AthanNotify();
    EXPECT_FALSE(IsFormLoaded(QStringLiteral("frmSplash")));
    for (const char* name : {"frmPreferences", "frmPrayerSettings"}) {
        EXPECT_TRUE(IsFormLoaded(QString::fromLatin1(name))) << name;
        FindForm(QString::fromLatin1(name))->Unload();
    }
}

TEST_F(Scheduler, ReminderTextsNameThePrayerAndItsMinutes) {
    gReminderBefore[5] = 3;
    gReminderAfter[6] = 2;
    // Before Maghrib: the next prayer is Maghrib.
    at(timeOf(5).addSecs(-15 * 60));
    window->RefreshPrayers();
    window->ReminderNotify(true);
    QString expected = LoadResString(478);
    expected.replace(QStringLiteral("<?"
                                    "?>"),
                     QStringLiteral("15"));
    EXPECT_EQ(window->ReminderMessage, expected);
    ASSERT_FALSE(tray.calls().isEmpty());
    EXPECT_EQ(platform::FieldText(tray.calls().back().data.szInfoTitle, 64),
              QStringLiteral("Tallix Time Reminder"));
    EXPECT_EQ(tray.calls().back().data.dwInfoFlags, 2u);

    // After Ishaa: the prayer just past.
    at(timeOf(6).addSecs(10 * 60));
    window->RefreshPrayers();
    window->ReminderNotify(false);
    expected = LoadResString(485);
    expected.replace(QStringLiteral("<?"
                                    "?>"),
                     QStringLiteral("10"));
    EXPECT_EQ(window->ReminderMessage, expected);

    // No next prayer to name: no earlier reminder's text is shown instead.
    ShowTimes(*window, {"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"});
    tray.clear();
    window->ReminderNotify(true);
    EXPECT_TRUE(window->ReminderMessage.isEmpty());
    EXPECT_TRUE(balloons().isEmpty());
}

TEST_F(Scheduler, AReminderSoundsItsOwnSoundAndShurooqNothing) {
    gReminderBefore[4] = 2;
    at(timeOf(3).addSecs(60)); // after Dhuhr: Asr is next
    window->RefreshPrayers();
    const auto before = window->ReminderBeforeSeconds;
    ASSERT_TRUE(before.has_value());
    const QTime t = QTime(0, 0).addSecs(*before);
    at(t.addSecs(-1));
    window->tmrMain_Timer();
    sound.clear();
    at(t);
    window->tmrMain_Timer();
    EXPECT_EQ(window->LastEventCode, 11);
    EXPECT_EQ(alerts(), QVector<int>{7});

    const QTime shurooq = timeOf(2);
    at(shurooq.addSecs(-1));
    window->tmrMain_Timer();
    sound.clear();
    at(shurooq);
    window->tmrMain_Timer();
    EXPECT_EQ(window->LastEventCode, 2);
    EXPECT_TRUE(sound.calls().isEmpty());
}

} // namespace
