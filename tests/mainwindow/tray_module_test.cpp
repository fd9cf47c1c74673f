// The tray icon of the main window: its record, the clicks and balloon reports that reach the
// tray procedure, the balloon watchdog, flashing, and an icon the desktop refused at first.
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "mainwindow/mTray.h"
#include "platform/notifications.h"
#include "runtime/Clock.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TrayModule : public ::testing::Test {
protected:
    void SetUp() override {
        gMuteAll = 0;
        gFlashTrayIcon = 1;
        gFlashTrayIconReminder = 1;
        gExitQuestionShown = false;
        window_ = std::make_unique<frmTallix>();
        hWnd_ = window_->hWnd();
        AddTrayIcon(hWnd_, icon(0), QString(QChar(0)));
    }
    void TearDown() override {
        RemoveTrayIcon(hWnd_);
        window_.reset();
    }

    HANDLE icon(int k) const { return window_->imgIconKabaa[k]->Picture().Handle(); }
    LONG tray(LONG event) {
        return SendMessageA(hWnd_, kTrayCallbackMessage, LONG(kTrayIconId), event);
    }
    const FakeTray::Call& last() const { return tray_.calls().back(); }

    FakeRegistry registry_;
    FakeSound sound_;
    FakeSystem system_;
    FakeTray tray_;
    std::unique_ptr<frmTallix> window_;
    HWND hWnd_ = 0;
};

TEST_F(TrayModule, AddsTheIconRecordThenItsVersion) {
    ASSERT_GE(tray_.calls().size(), 2);
    const auto& add = tray_.calls()[0];
    EXPECT_EQ(add.message, NIM_ADD);
    EXPECT_EQ(add.data.cbSize, 488u);
    EXPECT_EQ(add.data.hWnd, hWnd_);
    EXPECT_EQ(add.data.uID, 999u);
    EXPECT_EQ(add.data.uFlags, 0x17u);
    EXPECT_EQ(add.data.uCallbackMessage, 0x8015u);
    EXPECT_EQ(add.data.hIcon, icon(0));
    EXPECT_EQ(add.data.dwState, 2u);
    EXPECT_EQ(add.data.szTip[0], '\0'); // the tip starts empty
    EXPECT_EQ(add.data.szTip[1], ' ');
    EXPECT_EQ(tray_.calls()[1].message, NIM_SETVERSION);
    EXPECT_EQ(tray_.calls()[1].data.uTimeoutOrVersion, 3u);
    EXPECT_TRUE(IsTrayIconShown());
}

TEST_F(TrayModule, TipFieldsAreBlankPaddedAndCutAtTheirWidth) {
    SetTrayTip(QStringLiteral("Dhuhr 12:10") + QChar(0));
    EXPECT_EQ(last().message, NIM_MODIFY);
    EXPECT_EQ(platform::FieldText(last().data.szTip, 128), QStringLiteral("Dhuhr 12:10"));
    EXPECT_EQ(last().data.szTip[127], ' ');
    SetTrayTip(QString(140, QLatin1Char('x')) + QChar(0));
    EXPECT_EQ(platform::FieldText(last().data.szTip, 128), QString(128, QLatin1Char('x')));
}

TEST_F(TrayModule, ClicksRestoreOrOpenTheMenuUnlessSomethingIsInTheWay) {
    window_->Show();
    window_->setWindowState(Qt::WindowMinimized);
    window_->hide();
    EXPECT_EQ(tray(WM_LBUTTONUP), 0);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_FALSE(window_->windowState() & Qt::WindowMinimized);

    window_->hide();
    tray(WM_RBUTTONDBLCLK);
    EXPECT_TRUE(window_->isVisible());

    tray(WM_RBUTTONUP);
    EXPECT_TRUE(window_->mPopupSys->isVisible());
    EXPECT_EQ(window_->mPopupSys->defaultAction(), window_->mnuPrayNow);
    EXPECT_EQ(window_->mPopupSys->actions().value(0), window_->mnuPrayNow);
    EXPECT_EQ(window_->mnuPrayNow->text(), QStringLiteral("Pray &Now"));
    window_->mPopupSys->hide();

    // The exit question, or one of the program's dialogs, keeps the clicks off.
    window_->hide();
    gExitQuestionShown = true;
    tray(WM_LBUTTONUP);
    tray(WM_RBUTTONUP);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->mPopupSys->isVisible());
    gExitQuestionShown = false;
    {
        Form dialog(QStringLiteral("frmPreferences"));
        tray(WM_LBUTTONUP);
        EXPECT_FALSE(window_->isVisible());
    }
    tray(WM_RBUTTONDOWN);
    EXPECT_FALSE(window_->isVisible());
    tray(WM_LBUTTONUP);
    EXPECT_TRUE(window_->isVisible());
}

// While a modal window is up, a left or right click on the icon shows that window (a
// minimised one again), in front; the main window stays as it was and no menu opens.
TEST_F(TrayModule, AClickBringsUpTheModalWindow) {
    window_->hide();
    for (const LONG click : {LONG(WM_LBUTTONUP), LONG(WM_LBUTTONDBLCLK), LONG(WM_RBUTTONUP)}) {
        Form dialog(QStringLiteral("frmPrayerSettings"));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        dialog.setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
        ASSERT_TRUE(dialog.isMinimized());
        tray(click);
        EXPECT_FALSE(dialog.isMinimized()) << click;
        EXPECT_TRUE(dialog.isVisible()) << click;
        EXPECT_FALSE(window_->isVisible()) << click;
        EXPECT_FALSE(window_->mPopupSys->isVisible()) << click;
    }
}

TEST_F(TrayModule, AClickOnAFlashingIconOnlyStopsTheFlash) {
    window_->hide();
    window_->TrayFlashKind = 0;
    window_->StartTrayFlash();
    ASSERT_TRUE(window_->tmrFlash->isActive());
    tray(WM_LBUTTONUP);
    EXPECT_FALSE(window_->tmrFlash->isActive());
    EXPECT_FALSE(window_->tmrCounter->isActive());
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(last().message, NIM_MODIFY);
    EXPECT_EQ(last().data.hIcon, icon(0)); // the resting icon is back
    tray(WM_LBUTTONUP);
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(TrayModule, BalloonWatchdogRunsFromShowToTheFirstEnd) {
    ShowBalloon(hWnd_, 1, QStringLiteral("Tallix Time"),
                QStringLiteral("It is now time to pray Dhuhr.") + QChar(0), 1);
    EXPECT_EQ(last().data.uFlags, NIF_INFO);
    EXPECT_EQ(last().data.dwInfoFlags, 1u);
    EXPECT_EQ(platform::FieldText(last().data.szInfo, 256),
              QStringLiteral("It is now time to pray Dhuhr."));
    EXPECT_EQ(platform::FieldText(last().data.szInfoTitle, 64), QStringLiteral("Tallix Time"));

    const struct {
        const char* what;
        LONG end;
    } ends[] = {{"hidden", NIN_BALLOONHIDE},
                {"timed out", NIN_BALLOONTIMEOUT},
                {"clicked", NIN_BALLOONUSERCLICK}};
    for (const auto& e : ends) {
        SCOPED_TRACE(e.what);
        StopTrayFlash();
        tray(NIN_BALLOONSHOW);
        EXPECT_TRUE(gBalloonTimerActive);
        tray(NIN_BALLOONSHOW); // a second report does not restart it
        EXPECT_TRUE(gBalloonTimerActive);
        tray(e.end);
        EXPECT_FALSE(gBalloonTimerActive);
        // Each end lets the icon flash when the option of the alert's kind is on.
        EXPECT_TRUE(window_->tmrFlash->isActive());
    }

    // A balloon nobody closes: the watchdog's 60 seconds end it and remove it.
    StopTrayFlash();
    tray(NIN_BALLOONSHOW);
    tray_.clear();
    BalloonTimerProc(hWnd_, WM_TIMER, kBalloonTimerId, 0);
    EXPECT_FALSE(gBalloonTimerActive);
    EXPECT_TRUE(window_->tmrFlash->isActive());
    ASSERT_FALSE(tray_.calls().isEmpty());
    EXPECT_EQ(last().data.uFlags, NIF_TIP | NIF_INFO);
    EXPECT_EQ(platform::FieldText(last().data.szInfo, 256), QString());
}

QStringList g_notified;
bool recordNotification(const QString& title, const QString& text, DWORD flags) {
    g_notified << title << text << QString::number(flags);
    return true;
}

TEST_F(TrayModule, WithoutAnIconABalloonBecomesADesktopNotification) {
    platform::InstallNotificationHook(&recordNotification);
    g_notified.clear();
    ShowBalloon(hWnd_, 1, QStringLiteral("Tallix Time"), QStringLiteral("Dhuhr") + QChar(0), 1);
    EXPECT_TRUE(g_notified.isEmpty()); // the icon's own balloon
    RemoveTrayIcon(hWnd_);
    tray_.clear();
    ShowBalloon(hWnd_, 2, QStringLiteral("Tallix Time Reminder"), QStringLiteral("Asr") + QChar(0),
                7);
    EXPECT_EQ(g_notified, (QStringList{"Tallix Time Reminder", "Asr", "2"}));
    EXPECT_TRUE(tray_.calls().isEmpty());
    platform::InstallNotificationHook(nullptr);
}

TEST_F(TrayModule, RemovingTheIconStopsTheWatchdogFirst) {
    gFlashTrayIcon = 0;
    tray(NIN_BALLOONSHOW);
    ASSERT_TRUE(gBalloonTimerActive);
    RemoveTrayIcon(hWnd_);
    EXPECT_FALSE(gBalloonTimerActive);
    EXPECT_EQ(last().message, NIM_DELETE);
    EXPECT_FALSE(tray_.hasIcon(hWnd_, kTrayIconId));
    EXPECT_FALSE(IsTrayIconShown());
    // Unhooked: the tray's reports no longer reach the procedure.
    tray(NIN_BALLOONSHOW);
    EXPECT_FALSE(gBalloonTimerActive);
}

TEST_F(TrayModule, FlashAlternatesThePicturesOfTheKindAndMuteState) {
    const struct {
        std::int16_t mute;
        std::int16_t kind;
        int on;
        int off;
    } cases[] = {{0, 0, 1, 0}, {0, -1, 4, 0}, {1, 0, 3, 2}, {1, -1, 5, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mute " << c.mute << " kind " << c.kind);
        gMuteAll = c.mute;
        window_->TrayFlashKind = c.kind;
        window_->FlashPhase = false;
        // The tip's own changes leave NIF_TIP alone in the record; the icon must still count.
        SetTrayTip(QStringLiteral("tip") + QChar(0));
        window_->gTrayIconData.uFlags = NIF_TIP;
        window_->tmrFlash_Timer();
        EXPECT_EQ(last().data.hIcon, icon(c.on));
        EXPECT_TRUE(last().data.uFlags & NIF_ICON);
        window_->tmrFlash_Timer();
        EXPECT_EQ(last().data.hIcon, icon(c.off));
    }
    gMuteAll = 0;
}

TEST_F(TrayModule, FlashStartsByTheOptionOfItsKindAndStopsAfter300Seconds) {
    gFlashTrayIcon = 0;
    gFlashTrayIconReminder = 1;
    window_->TrayFlashKind = 0;
    window_->StartTrayFlash();
    EXPECT_FALSE(window_->tmrFlash->isActive());
    window_->TrayFlashKind = -1;
    window_->StartTrayFlash();
    EXPECT_TRUE(window_->tmrFlash->isActive());
    EXPECT_EQ(window_->tmrFlash->interval(), 500); // the caret's rate: half of 1000 ms
    // More than 300 counted seconds: the stop comes on the 302nd tick.
    for (int tick = 1; tick <= 301; ++tick)
        window_->tmrCounter_Timer();
    EXPECT_TRUE(window_->tmrFlash->isActive());
    window_->tmrCounter_Timer();
    EXPECT_FALSE(window_->tmrFlash->isActive());
    EXPECT_EQ(window_->TrayFlashKind, 0);
}

TEST_F(TrayModule, AnIconTheDesktopRefusedIsOfferedAgain) {
    RemoveTrayIcon(hWnd_);
    tray_.clear();
    tray_.shellRunning = false; // no tray host yet
    AddTrayIcon(hWnd_, icon(0), QString(QChar(0)));
    EXPECT_FALSE(IsTrayIconShown());
    // The clicks find their procedure as soon as the icon exists.
    tray_.shellRunning = true;
    ReAddTrayIcon();
    EXPECT_TRUE(IsTrayIconShown());
    EXPECT_TRUE(tray_.hasIcon(hWnd_, kTrayIconId));
    tray(NIN_BALLOONSHOW);
    EXPECT_TRUE(gBalloonTimerActive);
    tray(NIN_BALLOONHIDE);

    // The tray host restarted: the icon is deleted and added anew.
    tray_.clear();
    ReAddTrayIcon();
    ASSERT_GE(tray_.calls().size(), 2);
    EXPECT_EQ(tray_.calls()[0].message, NIM_DELETE);
    EXPECT_EQ(tray_.calls()[1].message, NIM_ADD);
    EXPECT_TRUE(tray_.hasIcon(hWnd_, kTrayIconId));
}

} // namespace

namespace {

TEST_F(TrayModule, ScreenshotOfTheTrayMenu) {
    window_->Show();
    tray(WM_RBUTTONUP);
    QMenu* menu = window_->mPopupSys;
    ASSERT_TRUE(menu->isVisible());
    QApplication::processEvents();
    // Pray Now first and in bold, Exit and About last.
    EXPECT_TRUE(menu->actions().value(0)->font().bold() ||
                menu->defaultAction() == menu->actions().value(0));
    EXPECT_EQ(menu->actions().value(menu->actions().size() - 2), window_->mPopExit);
    EXPECT_EQ(menu->actions().last(), window_->mPopAbout);
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(menu->grab().toImage().save(dir + QStringLiteral("/tray-menu.png")));
    menu->hide();
}

} // namespace

namespace {

TEST_F(TrayModule, TheClockTickLeavesTheTipAloneWhileABalloonIsUp) {
    ASSERT_TRUE(LoadSettings());
    runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 0)));
    window_->RefreshPrayers();
    tray(NIN_BALLOONSHOW);
    tray_.clear();
    window_->UpdateCurrentTime();
    for (const auto& c : tray_.calls())
        EXPECT_FALSE(c.data.uFlags & NIF_TIP);
    tray(NIN_BALLOONTIMEOUT);
    StopTrayFlash();
    tray_.clear();
    window_->UpdateCurrentTime();
    ASSERT_FALSE(tray_.calls().isEmpty());
    EXPECT_TRUE(tray_.calls().back().data.uFlags & NIF_TIP);
    EXPECT_FALSE(platform::FieldText(tray_.calls().back().data.szTip, 128).isEmpty());
    runtime::SetClock(nullptr);
}

} // namespace
