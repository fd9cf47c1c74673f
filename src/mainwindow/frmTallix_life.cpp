// The main window's life: the start of the whole application in Form_Load, minimising to the
// tray, the exit question, the end of the session, and what the system broadcasts redo.
#include "frmTallix.h"

#include "core/cNonClientMetrics.h"
#include "core/kaaba.h"
#include "core/mAPI.h"
#include "core/mHooks.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mTray.h"
#include "mVolume.h"
#include "platform/broadcasts.h"
#include "platform/sysparams.h"
#include "platform/tzlist.h"
#include "runtime/App.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <vector>

namespace {
constexpr int kExitQuestionStyle = 4132; // Yes/No, question, system-modal
constexpr std::int32_t kButtonFaceColor = std::int32_t(0x8000000F);
constexpr int kZoneListDelayMs = 3000;
} // namespace

void frmTallix::Form_Load() {
    SetBusy(true);
    SetAppTaskVisible(false);

    // The hand over whatever a click acts on.
    const QCursor hand(QPixmap(QStringLiteral(":/cursors/hand.png")), 5, 0);
    for (QWidget* w :
         {static_cast<QWidget*>(picClock), picNextPrayerIn[0], static_cast<QWidget*>(picVolume),
          static_cast<QWidget*>(picGlobe), static_cast<QWidget*>(picQiblah)})
        if (w)
            w->setCursor(hand);
    if (imgKabaa) {
        if (gImageType == 2)
            imgKabaa->unsetCursor();
        else
            imgKabaa->setCursor(hand);
    }

    if (ttMain.Create(this)) {
        ttMain.MaxTipWidth(40);
        ttMain.DelayTime(2, 30000);
        ttMain.ToolTipHeaderShow(false);
    }

    ApplySystemFont(this);

    // Window options: every start brings the log-on entry in line with the setting.
    SetRunAtStartup(gLaunchOnStartup != 0);
    if (gLaunchMinimized != 0)
        setWindowState(windowState() | Qt::WindowMinimized);

    CenterOnWorkArea();
    SetTopMost(hWnd(), gAlwaysOnTop != 0);

    const UINT blink = GetCaretBlinkTime();
    tmrFlash->setInterval(blink == INFINITE_BLINK || blink == 0 ? 530 : int(blink));
    gExitQuestionShown = false;
    gTrayFlashing = 0;
    TrayFlashKind = 0;

    if (tabMain) {
        tabMain->setCurrentIndex(gSelectedTab);
        ResetTab();
    }

    // The mute state shows on the toolbar, the menu and the tray icon.
    if (QAction* on = tlbMainButton(QStringLiteral("AudioOn")))
        on->setVisible(gMuteAll == 0);
    if (QAction* off = tlbMainButton(QStringLiteral("AudioOff"))) {
        off->setChecked(true);
        off->setVisible(gMuteAll != 0);
    }
    mnuMuteAll->setChecked(gMuteAll != 0);
    const int restingIcon = gMuteAll == 1 ? 2 : 0;
    AddTrayIcon(hWnd(), imgIconKabaa[restingIcon]->Picture().Handle(), QString(QChar(0)));

    StartVolume();
    sldVolume->setTickPosition(gSliderTickStyle == 0 ? QSlider::NoTicks : QSlider::TicksBelow);

    EnablePrayNow();
    RefreshKabaaImage(gSelectedImage);
    RefreshPrayers();
    ResizeForm();
    SetObjectsToStatusBar();

    HookMainWindow(hWnd());
    platform::StartSystemBroadcasts(hWnd());
    tmrDDE.setInterval(AdviseRateToMs(gDDEAdviseRate));
    // A server that cannot start is told, as every other start failure is; the setting stays,
    // so the next start tries again.
    if (gActivateDDEServer == 1 && !InitializeDDE())
        MsgBox(QStringLiteral("The data server could not be started: %1.\r\n\r\nOther programs "
                              "cannot read the prayer times until Tallix Time starts again.")
                   .arg(DataServerTrouble()),
               vbExclamation, App.Title);

    // The printer is made with the timetable printing's defaults at the first print: loading
    // the print service here would cost every start for the few that print.

    // The prayer settings' zone list is made once, a while after the window is up, so that
    // the dialog opens without reading the whole zone database.
    QTimer::singleShot(kZoneListDelayMs, this, [] { platform::EnumWindowsZones(); });

    LastEventCode = 0;
    tmrMain->start();
    DoEvents();
    SetBusy(false);
}

void frmTallix::Form_Activate() {
    ApplyAlwaysOnTop();
}

void frmTallix::Form_QueryUnload(int* cancel, int unloadMode) {
    if (unloadMode == vbFormControlMenu) {
        // The close box only minimises: the program lives on in the tray. A window that goes
        // to the tray is hidden straight away: asked to minimise and hidden in the same breath,
        // the window manager would still be iconifying it when the tray shows it again.
        if (gHideWhenMinimized == 1 && IsTrayIconShown()) {
            hide();
            SetAppTaskVisible(false);
        } else {
            setWindowState(windowState() | Qt::WindowMinimized);
        }
        *cancel = 1;
    } else if (unloadMode == vbFormCode) {
        // While a modal window waits for the user, Exit only shows it.
        if (BringModalWindowForward()) {
            *cancel = 1;
            return;
        }
        tmrMain->stop();
        gExitQuestionShown = true;
        const QDateTime asked = Now();
        DoEvents();
        if (MsgBox(LoadResString(132), kExitQuestionStyle, App.Title) != vbYes) {
            gExitQuestionShown = false;
            *cancel = 1;
            AnnounceAthanMissedSince(asked);
            tmrMain->start();
        }
    }
    // The end of the session (and any other owner) unloads without asking.
}

void frmTallix::Form_Unload(int*) {
    tmrMain->stop();
    for (QWidget* w : findChildren<QWidget*>())
        w->unsetCursor();
    platform::StopSystemBroadcasts();
    UnhookMainWindow(hWnd());
    RemoveTrayIcon(hWnd());
    if (gMutex) {
        gMutex->ReleaseAndCloseMutex(gMutexHandle);
        gMutex.reset();
    }
    UninitializeDDE();
    CloseMixer();
    for (Form* f : Forms())
        if (f != this)
            f->UnloadFrom(vbAppWindows);
}

void frmTallix::EndSession() {
    UnloadFrom(vbAppWindows);
}

void frmTallix::Form_Resize() {
    if (windowState() & Qt::WindowMinimized) {
        // Hidden only to a tray icon that is there: without one the window stays reachable.
        if (gHideWhenMinimized == 0 || !IsTrayIconShown()) {
            SetAppTaskVisible(true);
        } else if (gHideWhenMinimized == 1) {
            // Hidden once the state change is through: only the tray icon remains.
            QTimer::singleShot(0, this, [this] {
                if (windowState() & Qt::WindowMinimized)
                    hide();
            });
            SetAppTaskVisible(false);
        }
    } else if (!(windowState() & Qt::WindowMaximized)) {
        ResizeForm();
        SetObjectsToStatusBar();
        RefreshProgressBars();
        ApplyAlwaysOnTop();
        SetAppTaskVisible(true);
        UpdateCurrentTime();
        if (mnuCheckForUpdate)
            mnuCheckForUpdate->setEnabled(IsInternetConnected());
    }
}

void frmTallix::changeEvent(QEvent* event) {
    Form::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmTallix::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    // Back from the tray (a click, the menu, another start): in front and active, as a
    // restored window is.
    if (!(windowState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !(windowState() & Qt::WindowMinimized)) {
                raise();
                // A modal window of the program stays in front of it, with the focus.
                if (BringModalWindowForward())
                    return;
                activateWindow();
                // Without a window manager (the offscreen platform) a window shown again
                // is not told it is active; nothing else would make it so.
                if (!isActiveWindow() &&
                    QGuiApplication::platformName() == QLatin1String("offscreen"))
                    QApplication::setActiveWindow(this);
            }
        });
    // Launched minimised with hiding on: the tray icon is all there is.
    if ((windowState() & Qt::WindowMinimized) && gHideWhenMinimized == 1 && IsTrayIconShown())
        QTimer::singleShot(0, this, [this] {
            if (windowState() & Qt::WindowMinimized)
                hide();
        });
}

void frmTallix::SystemChanged() {
    HideBalloon(hWnd());
    StopBalloonTimer(hWnd());
    if (tmrFlash->isActive())
        StopTrayFlash();
    ApplySystemFont(this);
    ResetTab();
    ResizeForm();
    SetObjectsToStatusBar();
    EnablePrayNow();
    TranslateDateNames();
    RefreshPrayers();
    LastEventCode = 0;
    // The clock moved: the seconds in between are not replayed.
    LastTickTime = QDateTime();
}

void frmTallix::ColorsChanged() {
    // The pictures take the button face of the new colours.
    std::vector<PictureBox*> pictures{picClock, picQiblah};
    for (int i = 1; i <= 6; ++i)
        pictures.push_back(picPrayer[i]);
    for (PictureBox* p : pictures)
        if (p) {
            p->SetBackColor(kButtonFaceColor);
            p->update();
        }
    for (QWidget* w : {picNextPrayerIn[0], picNextPrayerIn[1], static_cast<QWidget*>(tabMain)})
        if (w)
            w->update();
    ApplySystemFont(this);
    ResetTab();
    ResizeForm();
    SetObjectsToStatusBar();
    RefreshPrayers();
}

void frmTallix::ResumedFromSleep() {
    HideBalloon(hWnd());
    StopBalloonTimer(hWnd());
    if (tmrFlash->isActive())
        StopTrayFlash();
    RefreshPrayers();
    LastEventCode = 0;
    LastTickTime = QDateTime();
}
