// The main window's tray side: the popup menu, restoring from the tray, and the flashing of
// the tray icon after an announcement.
#include "frmTallix.h"

#include "core/frmSplash.h"
#include "core/frmUpdate.h"
#include "core/mAPI.h"
#include "core/settings.h"
#include "mTray.h"
#include "platform/sysparams.h"
#include "platform/window.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"
#include "runtime/ScreenRescue.h"

#include <QCursor>
#include <QMenu>
#include <QTimer>

void frmTallix::createLifeControls() {
    connect(tmrFlash, &QTimer::timeout, this, &frmTallix::tmrFlash_Timer);
    tmrCounter = new QTimer(this);
    tmrCounter->setObjectName(QStringLiteral("tmrCounter"));
    tmrCounter->setInterval(1000);
    connect(tmrCounter, &QTimer::timeout, this, &frmTallix::tmrCounter_Timer);

    // The tray menu: Pray Now first and in bold, then the window, About, mute and Exit.
    mnuPrayNow = new QAction(LoadResString(63), mPopupSys);
    mnuPrayNow->setObjectName(QStringLiteral("mnuPrayNow"));
    mPopRestore = new QAction(LoadResString(84), mPopupSys);
    mPopRestore->setObjectName(QStringLiteral("mPopRestore"));
    mPopAbout = new QAction(LoadResString(83), mPopupSys);
    mPopAbout->setObjectName(QStringLiteral("mPopAbout"));
    mPopExit = new QAction(LoadResString(27), mPopupSys);
    mPopExit->setObjectName(QStringLiteral("mPopExit"));
    QAction* first = mPopupSys->actions().value(0);
    mPopupSys->insertAction(first, mnuPrayNow);
    mPopupSys->insertSeparator(first);
    mPopupSys->insertAction(first, mPopRestore);
    mPopupSys->insertAction(first, mPopAbout);
    mPopupSys->insertSeparator(first);
    mPopupSys->addSeparator();
    mPopupSys->addAction(mPopExit);
    mPopupSys->setDefaultAction(mnuPrayNow);
    connect(mPopRestore, &QAction::triggered, this, [this] {
        RestoreFromTray();
        ApplyAlwaysOnTop();
    });
    connect(mPopAbout, &QAction::triggered, this, [] { ShowAboutBox(); });
    connect(mPopExit, &QAction::triggered, this, [this] { Unload(); });
    connect(mnuPrayNow, &QAction::triggered, this, [this] {
        // The lock of the workstation comes with the menu commands; the screen saver is here.
        if (gSecurityType == 1)
            StartScreenSaverCommand();
    });
    mnuCheckForUpdate = new QAction(LoadResString(401), this);
    mnuCheckForUpdate->setObjectName(QStringLiteral("mnuCheckForUpdate"));
    connect(mnuCheckForUpdate, &QAction::triggered, this, [] {
        DoEvents();
        ShowUpdateCheck();
    });
    createVolumeControls();
}

void frmTallix::RestoreFromTray() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    SetForegroundWindow(hWnd());
    Show();
    raise();
    // A modal window of the program stays in front, with the focus.
    if (!BringModalWindowForward())
        activateWindow();
    // Left where no screen shows it (a monitor unplugged meanwhile), it comes onto one.
    runtime::BringWindowsOntoWorkAreas();
}

void frmTallix::PopupMenu(QMenu* menu, QAction* defaultItem) {
    if (!menu)
        return;
    if (defaultItem)
        menu->setDefaultAction(defaultItem);
    menu->popup(QCursor::pos());
}

void frmTallix::StartTrayFlash() {
    const bool allowed = TrayFlashKind != 0 ? gFlashTrayIconReminder == 1 : gFlashTrayIcon == 1;
    if (!allowed)
        return;
    gTrayFlashing = 0;
    const UINT blink = GetCaretBlinkTime();
    // A caret that does not blink still gives the icon a visible flash.
    tmrFlash->setInterval(blink == INFINITE_BLINK || blink == 0 ? 530 : int(blink));
    tmrCounter->start();
    tmrFlash->start();
}

void frmTallix::tmrFlash_Timer() {
    FlashPhase = !FlashPhase;
    int k = -1;
    if (gMuteAll == 0)
        k = !FlashPhase ? 0 : TrayFlashKind != 0 ? 4 : 1;
    else if (gMuteAll == 1)
        k = !FlashPhase ? 2 : TrayFlashKind != 0 ? 5 : 3;
    if (k >= 0 && imgIconKabaa[k])
        gTrayIconData.hIcon = imgIconKabaa[k]->Picture().Handle();
    gTrayIconData.uFlags = NIF_ICON | NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &gTrayIconData);
}

void frmTallix::tmrCounter_Timer() {
    if (gTrayFlashing > 300)
        StopTrayFlash();
    ++gTrayFlashing;
}
