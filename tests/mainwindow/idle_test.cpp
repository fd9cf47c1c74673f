// The main window at rest: one wake-up a second, at the second; the clock's path reads no
// settings and asks no bus; nothing is drawn while it is hidden to the tray; the screen-saver
// commands follow the saver's comings and goings instead of the clock.
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "platform/broadcasts.h"
#include "runtime/Clock.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QVector>
#include <gtest/gtest.h>

namespace {

const QDateTime kMorning(QDate(2024, 3, 10), QTime(10, 0, 0));

// Every question put to the settings store.
class CountingRegistry : public FakeRegistry {
public:
    int reads = 0;
    bool keyExists(const QString& key) override {
        ++reads;
        return FakeRegistry::keyExists(key);
    }
    LONG queryValue(const QString& key, const QString& name, DWORD* type,
                    QByteArray* data) override {
        ++reads;
        return FakeRegistry::queryValue(key, name, type, data);
    }
};

// Every question about the screen saver (a D-Bus question on the desktop).
class CountingSystem : public FakeSystem {
public:
    int asked = 0;
    platform::ScreenSaverService screenSaver() override {
        ++asked;
        return FakeSystem::screenSaver();
    }
};

// Paint events anywhere in the application.
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class Idle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(kMorning);
        gLaunchMinimized = 0;
        gHideWhenMinimized = 1;
        gMuteAll = 0;
        window = new frmTallix();
        window->Load();
        window->Show();
        Pump(50);
    }
    void TearDown() override {
        if (window)
            window->UnloadFrom(vbAppWindows);
        Pump(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        runtime::SetClock(nullptr);
    }
    // The clock's ticks through the seconds after the given one, as the timer runs them.
    void tickSeconds(int seconds, const QDateTime& from = kMorning) {
        for (int s = 1; s <= seconds; ++s) {
            runtime::SetClock(from.addSecs(s));
            window->tmrMain_Timer();
            Pump(20);
        }
    }

    CountingRegistry registry;
    FakeSound sound;
    CountingSystem system;
    FakeTray tray;
    FakeMixer mixer;
    QPointer<frmTallix> window;
};

TEST_F(Idle, TheClocksPathReadsNoSettingsAndAsksNoBus) {
    registry.reads = 0;
    system.asked = 0;
    const QString before = window->lblTime->text();
    tickSeconds(5);
    EXPECT_NE(window->lblTime->text(), before); // the clock did move
    EXPECT_EQ(registry.reads, 0);
    EXPECT_EQ(system.asked, 0);
}

TEST_F(Idle, TheClockWakesOnceASecondJustAfterTheSecondBegins) {
    // The program's seconds begin 0.4 s into the system's: the timer follows the program's.
    runtime::SetClock([] { return QDateTime::currentDateTime().addMSecs(400); });
    window->tmrMain->start();
    QVector<int> phases; // milliseconds past the second at each wake-up
    QObject::connect(window->tmrMain, &QTimer::timeout,
                     [&phases] { phases.append(Now().time().msec()); });
    Pump(3300);
    EXPECT_GE(phases.size(), 2);
    EXPECT_LE(phases.size(), 4);
    for (int phase : phases)
        EXPECT_LT(phase, 500) << "a wake-up half a second late shows the previous second";
}

TEST_F(Idle, NothingIsDrawnWhileHiddenToTheTray) {
    PaintCounter shown;
    tickSeconds(2);
    ASSERT_GT(shown.paints, 0) << "the counter sees the shown window's clock";

    window->setWindowState(Qt::WindowMinimized);
    window->hide();
    Pump(50);
    PaintCounter hidden;
    const QString tip = QString::fromUtf8(window->gTrayIconData.szTip);
    tickSeconds(3, kMorning.addSecs(600)); // minutes later: the tray tip changes
    EXPECT_EQ(hidden.paints, 0);
    EXPECT_NE(QString::fromUtf8(window->gTrayIconData.szTip), tip); // the tip kept time
}

TEST_F(Idle, TheScreenSaverComingOrGoingSetsOnlyItsCommands) {
    gPlatformId = 2;
    gSecurityType = 1; // Pray Now starts the screen saver
    window->LastEventCode = 5;
    const struct {
        platform::ScreenSaverService saver;
        bool enabled;
    } steps[] = {{platform::ScreenSaverService::Absent, false},
                 {platform::ScreenSaverService::Present, true}};
    for (const auto& step : steps) {
        system.saver = step.saver;
        platform::BroadcastScreenSaverChange();
        EXPECT_EQ(window->mnuPrayNow->isEnabled(), step.enabled);
        if (window->mnuScreenSaver) {
            EXPECT_EQ(window->mnuScreenSaver->isEnabled(), step.enabled);
        }
    }
    // Not a change of the system's settings: the scheduler keeps its place.
    EXPECT_EQ(window->LastEventCode, 5);
}

} // namespace
