// The main window's life: what Form_Load starts, the close box, the exit question, the end of
// the session, launching minimised, and what the system broadcasts redo.
#include "core/audio.h"
#include "core/datefmt.h"
#include "core/mHooks.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "mainwindow/mTray.h"
#include "platform/broadcasts.h"
#include "platform/dde.h"
#include "platform/signals.h"
#include "platform/wndproc.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QMenu>
#include <QPointer>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The event loop for ms milliseconds, then the deletions it left pending.
void pump(int ms) {
    Pump(ms);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Life : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 0, 0)));
        gLaunchMinimized = 0;
        gHideWhenMinimized = 1;
        gLaunchOnStartup = 1;
        gMuteAll = 0;
    }
    void TearDown() override {
        runtime::SetMsgBoxAnswerer(nullptr);
        if (window)
            window->UnloadFrom(vbAppWindows);
        pump(20);
        runtime::SetClock(nullptr);
    }
    void load() {
        window = new frmTallix();
        window->Load();
        window->Show();
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeSystem system;
    FakeTray tray;
    FakeMixer mixer;
    QPointer<frmTallix> window;
};

TEST_F(Life, LoadStartsEverythingInItsOrder) {
    gTimeFormat.clear();
    gHijriMonthLong.fill(QString());
    load();
    // Texts, date names and the time pattern.
    EXPECT_FALSE(gTimeFormat.isEmpty());
    EXPECT_EQ(gHijriMonthLong[9], QStringLiteral("Ramadan"));
    EXPECT_EQ(window->mnuPrayNow->text(), QStringLiteral("Pray &Now"));
    // The log-on entry follows the setting at every start.
    EXPECT_FALSE(registry.text(kRunKey, kRunValueName).isEmpty());
    // The tray icon, with the tray procedure under the main window's own.
    EXPECT_TRUE(tray.hasIcon(window->hWnd(), kTrayIconId));
    EXPECT_NE(lpPrevTrayProc, nullptr);
    EXPECT_EQ(gPrevMainProc, &TrayWndProc);
    // The mixer, the day's times, the broadcasts and the clock.
    EXPECT_TRUE(window->VolumeAvailable);
    EXPECT_EQ(window->sldVolume->value(), 50);
    EXPECT_TRUE(window->PrayerSeconds[3].has_value());
    EXPECT_EQ(platform::SystemBroadcastWindow(), window->hWnd());
    EXPECT_TRUE(window->tmrMain->isActive());
    EXPECT_EQ(window->LastEventCode, 0);
    EXPECT_EQ(BusyCount(), 0);

    // Start-up entry off: a stale entry is removed.
    window->UnloadFrom(vbAppWindows);
    pump(20);
    gLaunchOnStartup = 0;
    load();
    EXPECT_TRUE(registry.text(kRunKey, kRunValueName).isEmpty());
}

TEST_F(Life, TheCloseBoxMinimisesAndTheProgramLivesOn) {
    for (std::int16_t hide : {0, 1}) {
        SCOPED_TRACE(hide);
        gHideWhenMinimized = hide;
        load();
        window->close();
        pump(30);
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->IsLoaded());
        // Going to the tray it is hidden straight away, never first asked to minimise: the
        // window manager would still be iconifying it when the tray shows it again.
        EXPECT_EQ(bool(window->windowState() & Qt::WindowMinimized), hide == 0);
        EXPECT_EQ(window->isVisible(), hide == 0);
        window->UnloadFrom(vbAppWindows);
        pump(20);
    }
}

TEST_F(Life, WithoutATrayTheWindowIsNeverHiddenAway) {
    tray.shellRunning = false; // a desktop without a tray
    gHideWhenMinimized = 1;
    load();
    window->close();
    pump(30);
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Life, ExitAsksAndNoKeepsTheClockAndTrayGoing) {
    load();
    QString asked;
    int style = 0;
    bool clockStoppedWhileAsked = false;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int buttons, const QString&) {
        asked = prompt;
        style = buttons;
        clockStoppedWhileAsked = !window->tmrMain->isActive() && gExitQuestionShown;
        return vbNo;
    });
    EXPECT_FALSE(window->Unload());
    EXPECT_EQ(asked, QStringLiteral("Are you sure you want to exit?"));
    EXPECT_EQ(style, 4132);
    EXPECT_TRUE(clockStoppedWhileAsked);
    EXPECT_TRUE(window->tmrMain->isActive());
    EXPECT_FALSE(gExitQuestionShown);

    runtime::SetMsgBoxAnswerer([](const QString&, int, const QString&) { return vbYes; });
    const HWND hWnd = window->hWnd();
    EXPECT_TRUE(window->Unload());
    pump(20);
    EXPECT_FALSE(window);
    EXPECT_FALSE(tray.hasIcon(hWnd, kTrayIconId));
    EXPECT_EQ(gPrevMainProc, nullptr);
    EXPECT_EQ(lpPrevTrayProc, nullptr);
    // Unhooking again changes nothing.
    UnhookMainWindow(hWnd);
    UnhookTrayWindow(hWnd);
    EXPECT_EQ(SendMessageA(hWnd, WM_TIMECHANGE, 0, 0), 0);
}

// While a modal window waits for the user, Exit asks nothing and ends nothing.
TEST_F(Life, ExitWhileAModalWindowIsUpOnlyBringsItForward) {
    load();
    bool asked = false;
    runtime::SetMsgBoxAnswerer([&](const QString&, int, const QString&) {
        asked = true;
        return vbYes;
    });
    auto* dialog = new Form(QStringLiteral("frmPreferences"));
    bool exited = true;
    QTimer::singleShot(20, dialog, [&] {
        exited = window->Unload();
        dialog->Unload();
    });
    QTimer::singleShot(3000, dialog, [dialog] { dialog->Unload(); });
    dialog->Show(vbModal);
    EXPECT_FALSE(exited);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(window);
}

// The clock stands still while the exit question waits; answered No, the athan of a prayer
// whose time came meanwhile sounds once, if that prayer is still the current one.
TEST_F(Life, NoToExitSoundsTheAthanWhoseTimeCameWhileAsking) {
    for (int slot = 0; slot <= 4; ++slot) {
        gAudioType[slot] = 1;
        gSelectedSound[slot] = std::int16_t(slot);
    }
    gDisplayMainScreen = 0;
    load();
    const auto timeOf = [this](int i) {
        const auto s = window->PrayerSeconds[i];
        EXPECT_TRUE(s.has_value());
        return QTime(0, 0).addSecs(s.value_or(0));
    };
    const QDate day(2024, 3, 10);
    const struct {
        QTime asked, answered;
        int slot; // the athan heard, -1 none
    } cases[] = {
        {timeOf(3).addSecs(-30), timeOf(3).addSecs(300), 1},   // the noon prayer
        {timeOf(3).addSecs(-30), timeOf(4).addSecs(60), 2},    // noon passed, the afternoon's
        {timeOf(1).addSecs(-30), timeOf(2).addSecs(60), -1},   // dawn over: sunrise came
        {timeOf(3).addSecs(60), timeOf(3).addSecs(600), -1},   // called before the question
        {timeOf(3).addSecs(-600), timeOf(3).addSecs(-60), -1}, // nothing came
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.toString().toStdString());
        window->LastEventCode = 0;
        if (c.asked > timeOf(3)) {
            runtime::SetClock(QDateTime(day, timeOf(3)));
            window->tmrMain_Timer(); // the noon athan, heard before the question
        }
        runtime::SetClock(QDateTime(day, c.asked));
        window->tmrMain_Timer();
        sound.clear();
        runtime::SetMsgBoxAnswerer([&](const QString&, int, const QString&) {
            runtime::SetClock(QDateTime(day, c.answered));
            return vbNo;
        });
        EXPECT_FALSE(window->Unload());
        window->tmrMain_Timer(); // the next tick does not sound it again
        QVector<int> heard;
        for (const auto& call : sound.calls())
            for (int slot = 0; slot <= 4; ++slot)
                if (!call.name.isEmpty() &&
                    call.name == BuiltInSoundName(std::int16_t(slot), gSelectedSound[slot]))
                    heard.append(slot);
        EXPECT_EQ(heard, c.slot < 0 ? QVector<int>{} : QVector<int>{c.slot});
    }
}

TEST_F(Life, TheEndOfTheSessionUnloadsWithoutAsking) {
    load();
    bool asked = false;
    runtime::SetMsgBoxAnswerer([&](const QString&, int, const QString&) {
        asked = true;
        return vbNo;
    });
    const HWND hWnd = window->hWnd();
    const QString before = registry.text(kSettingsKey, QStringLiteral("Latitude"));
    // As Main leads the end signals to the main window.
    platform::InstallSessionEndHook([](int) { EndSessionOfMainWindow(); });
    std::raise(SIGTERM);
    pump(100);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(window);
    EXPECT_FALSE(tray.hasIcon(hWnd, kTrayIconId));
    EXPECT_EQ(registry.text(kSettingsKey, QStringLiteral("Latitude")), before);
}

TEST_F(Life, LaunchedMinimisedWithHidingOnlyTheTrayIconShows) {
    gLaunchMinimized = 1;
    gHideWhenMinimized = 1;
    load();
    pump(50);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tray.hasIcon(window->hWnd(), kTrayIconId));
    // A click on the icon brings it back.
    SendMessageA(window->hWnd(), kTrayCallbackMessage, LONG(kTrayIconId), WM_LBUTTONUP);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}

TEST_F(Life, BroadcastsStopFlashingHideTheBalloonAndRecompute) {
    load();
    const HWND w = window->hWnd();
    gFlashTrayIcon = 1;
    const struct {
        const char* what;
        UINT msg;
        LONG wParam;
        bool acts;
    } cases[] = {
        {"clock set", WM_TIMECHANGE, 0, true},
        {"settings", WM_SETTINGCHANGE, 0, true},
        {"resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {"going to sleep", WM_POWERBROADCAST, PBT_APMSUSPEND, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window->TrayFlashKind = 0;
        window->StartTrayFlash();
        SendMessageA(w, kTrayCallbackMessage, LONG(kTrayIconId), NIN_BALLOONSHOW);
        window->LastEventCode = 3;
        window->lblPrayer[3]->setText(QStringLiteral("N/A"));
        tray.clear();
        EXPECT_EQ(SendMessageA(w, c.msg, c.wParam, 0), 0);
        EXPECT_EQ(window->tmrFlash->isActive(), !c.acts);
        EXPECT_EQ(gBalloonTimerActive, !c.acts);
        EXPECT_EQ(window->LastEventCode, c.acts ? 0 : 3);
        EXPECT_EQ(window->lblPrayer[3]->text() != QStringLiteral("N/A"), c.acts);
        StopBalloonTimer(w);
        StopTrayFlash();
    }
    // A colour change gives the pictures the button face again and recomputes; a message for
    // another window goes on to the procedure below.
    window->picClock->SetBackColor(0x00FF00);
    window->lblPrayer[3]->setText(QStringLiteral("N/A"));
    EXPECT_EQ(SendMessageA(w, WM_SYSCOLORCHANGE, 0, 0), 0);
    EXPECT_EQ(window->picClock->BackColor(), std::int32_t(0x8000000F));
    EXPECT_NE(window->lblPrayer[3]->text(), QStringLiteral("N/A"));
    window->lblPrayer[3]->setText(QStringLiteral("N/A"));
    EXPECT_EQ(MainWndProc(w + 1, WM_TIMECHANGE, 0, 0), 0);
    EXPECT_EQ(window->lblPrayer[3]->text(), QStringLiteral("N/A"));
    // The flash does not come back by itself.
    pump(50);
    EXPECT_FALSE(window->tmrFlash->isActive());
}

} // namespace

namespace {

TEST_F(Life, TheVolumePanelSitsInTheStatusAreaBesideTheLocation) {
    load();
    QApplication::processEvents();
    ASSERT_TRUE(window->VolumeAvailable);
    EXPECT_TRUE(window->sldVolume->isVisible());
    EXPECT_EQ(window->sldVolume->parentWidget(), window->staMain);
    EXPECT_FALSE(window->sldVolume->geometry().intersects(window->picLocation->geometry()));
    EXPECT_FALSE(window->sldVolume->geometry().intersects(window->picNextPrayerIn[1]->geometry()));
    EXPECT_FALSE(window->picVolume->geometry().intersects(window->picLocation->geometry()));
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().toImage().save(dir + QStringLiteral("/mainwindow-volume.png")));
}

} // namespace

namespace {

// Whether Qt's print support (its library or its print service's plug-in) is in this process.
bool printSupportLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const QByteArray mapped = maps.readAll();
    return mapped.contains("printsupport/lib") || mapped.contains("libQt6PrintSupport");
}

// The printer object holds the program's defaults and asks no one anything: Qt's print
// support, which asks the print server on the window's thread, is never loaded.
TEST_F(Life, ThePrinterHasTheProgramsDefaultsWithoutQtsPrintSupport) {
    load();
    EXPECT_FALSE(printSupportLoaded());
    runtime::PrinterObject& printer = runtime::Printer();
    EXPECT_FALSE(printSupportLoaded());
    EXPECT_EQ(printer.Orientation(), vbPRORPortrait);
    EXPECT_EQ(printer.ColorMode(), vbPRCMMonochrome);
    EXPECT_EQ(printer.Duplex(), vbPRDPSimplex);
    EXPECT_EQ(printer.PaperSize(), vbPRPSLetter);
    EXPECT_TRUE(printer.TrackDefault());
    EXPECT_EQ(printer.PrintQuality(), vbPRPQHigh);
    EXPECT_EQ(printer.PaperBin(), vbPRBNAuto);
    // Letter, portrait, ten points round it, until a queue says its own margins.
    EXPECT_NEAR(printer.Width(), (612 - 20) * 20, 2);
}

TEST_F(Life, PrayNowIsEnabledWhenItsActionCanWork) {
    load();
    const struct {
        LONG platform;
        std::int16_t security;
        platform::ScreenSaverService saver;
        bool enabled;
    } cases[] = {
        {2, 0, platform::ScreenSaverService::Absent, true},  // the lock works without a saver
        {2, 1, platform::ScreenSaverService::Absent, false}, // the screen saver is not there
        {2, 1, platform::ScreenSaverService::Present, true},
        {1, 0, platform::ScreenSaverService::Absent, false}, // 9x: always the screen saver
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.security);
        gPlatformId = c.platform;
        gSecurityType = c.security;
        system.saver = c.saver;
        window->EnablePrayNow();
        EXPECT_EQ(window->mnuPrayNow->isEnabled(), c.enabled);
    }
    gPlatformId = 2;
}

} // namespace

namespace {

// A data server that cannot start says so at start-up, as every other start failure does, and
// names why: another program listening at its place, or a socket folder that is not the user's
// own private folder.
TEST_F(Life, ADataServerThatCannotStartSaysSo) {
    QStringList messages;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        messages << prompt;
        return vbOK;
    });
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    gActivateDDEServer = 1;

    // Someone else's listener, which accepts and never answers.
    QLocalServer squatter;
    const QString place = platform::DdeSocketPath(QStringLiteral("TallixTime"), true);
    ASSERT_TRUE(squatter.listen(place));
    load();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The data server could not be started")));
    EXPECT_TRUE(messages[0].contains(place)) << qPrintable(messages[0]);
    window->UnloadFrom(vbAppWindows);
    pump(20);
    squatter.close();

    // A socket folder others may enter.
    messages.clear();
    ASSERT_TRUE(QFile::setPermissions(platform::DdeSocketFolderName(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));
    load();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(platform::DdeSocketFolderName())) << qPrintable(messages[0]);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

} // namespace
