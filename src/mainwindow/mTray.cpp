#include "mTray.h"

#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "frmTallix.h"
#include "platform/notifications.h"
#include "platform/window.h"
#include "runtime/Interaction.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <cstring>

bool gExitQuestionShown = false;
std::int32_t gTrayFlashing = 0;
bool gBalloonTimerActive = false;
WNDPROC lpPrevTrayProc = nullptr;
LONG lNidSize = 0;

namespace {

bool g_iconShown = false;
HWND g_hooked = 0; // the window TrayWndProc is hooked on
QPointer<QTimer> g_retry;

NOTIFYICONDATA& record() {
    static NOTIFYICONDATA fallback;
    frmTallix* window = MainWindow();
    return window ? window->gTrayIconData : fallback;
}

// Delivers the tray's reports through the window's procedures, as the shell does.
void trayEvent(HWND hWnd, UINT uCallbackMessage, UINT uID, LONG lParam) {
    SendMessageA(hWnd, uCallbackMessage, LONG(uID), lParam);
}

bool sendAdd() {
    NOTIFYICONDATA& nid = record();
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    if (Shell_NotifyIconA(NIM_ADD, &nid) != 1)
        return false;
    Shell_NotifyIconA(NIM_SETVERSION, &nid);
    // Later changes of the record carry icon and tip; an empty balloon field would end a
    // balloon on screen.
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_iconShown = true;
    return true;
}

void retryAdd() {
    if (g_iconShown || record().hWnd == 0)
        return;
    if (sendAdd() && g_retry)
        g_retry->stop();
}

} // namespace

void ReAddTrayIcon() {
    NOTIFYICONDATA& nid = record();
    if (nid.hWnd == 0)
        return;
    if (g_iconShown) {
        Shell_NotifyIconA(NIM_DELETE, &nid);
        g_iconShown = false;
    }
    retryAdd();
}

namespace {

bool noDialogInTheWay() {
    for (const char* name : {"frmSplash", "frmPreferences", "frmPrayerSettings", "frmUpdate"})
        if (IsFormLoaded(QString::fromLatin1(name)))
            return false;
    return !gExitQuestionShown;
}

} // namespace

void PutTrayField(char* field, std::size_t width, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const std::size_t n = std::min<std::size_t>(width, std::size_t(bytes.size()));
    std::memcpy(field, bytes.constData(), n);
    std::memset(field + n, ' ', width - n);
}

void InitNotifyIconSize() {
    lNidSize =
        IsShellVersionAtLeast(5) ? LONG(kNotifyIconDataBalloonSize) : LONG(kNotifyIconDataOldSize);
}

bool IsShellVersionAtLeast(std::int16_t iMajor) {
    return 6 >= iMajor;
}

void AddTrayIcon(HWND hWnd, HANDLE hIcon, const QString& sTip) {
    if (lNidSize == 0)
        InitNotifyIconSize();
    NOTIFYICONDATA& nid = record();
    nid = NOTIFYICONDATA();
    nid.cbSize = DWORD(lNidSize);
    nid.hWnd = hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    nid.dwState = 2;
    nid.hIcon = hIcon;
    PutTrayField(nid.szTip, sizeof nid.szTip, sTip);
    nid.uTimeoutOrVersion = 3;
    nid.uCallbackMessage = kTrayCallbackMessage;
    platform::InstallTrayEventHook(&trayEvent);
    platform::InstallTrayHostHook(&ReAddTrayIcon);
    if (!lpPrevTrayProc || g_hooked != hWnd)
        HookTrayWindow(hWnd);
    if (sendAdd())
        return;
    if (!g_retry && QCoreApplication::instance()) {
        g_retry = new QTimer(QCoreApplication::instance());
        QObject::connect(g_retry.data(), &QTimer::timeout, g_retry.data(), &retryAdd);
    }
    if (g_retry)
        g_retry->start(kTrayRetryMs);
}

void RemoveTrayIcon(HWND hWnd) {
    NOTIFYICONDATA& nid = record();
    nid.cbSize = DWORD(lNidSize);
    nid.hWnd = hWnd;
    nid.uID = kTrayIconId;
    if (gBalloonTimerActive)
        StopBalloonTimer(hWnd);
    delete g_retry.data();
    platform::InstallTrayHostHook(nullptr);
    Shell_NotifyIconA(NIM_DELETE, &nid);
    g_iconShown = false;
    UnhookTrayWindow(hWnd);
    DoEvents();
}

void SetTrayTip(const QString& sTip) {
    NOTIFYICONDATA& nid = record();
    PutTrayField(nid.szTip, sizeof nid.szTip, sTip);
    Shell_NotifyIconA(NIM_MODIFY, &nid);
}

void ShowBalloon(HWND hWnd, LONG lInfoFlags, const QString& sTitle, const QString& sText,
                 std::int16_t iAudioSlot) {
    NOTIFYICONDATA nid;
    nid.cbSize = DWORD(lNidSize);
    nid.hWnd = hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = DWORD(lInfoFlags);
    PutTrayField(nid.szInfoTitle, sizeof nid.szInfoTitle, sTitle + QChar(0));
    PutTrayField(nid.szInfo, sizeof nid.szInfo, sText + QChar(0));
    nid.uTimeoutOrVersion = 0;
    // Without a tray icon (a desktop without a tray) the message still reaches the desktop.
    if (!g_iconShown) {
        platform::ShowDesktopNotification(
            sTitle, platform::FieldText(nid.szInfo, sizeof nid.szInfo), DWORD(lInfoFlags));
        return;
    }
    Shell_NotifyIconA(NIM_MODIFY, &nid);
}

void HideBalloon(HWND hWnd) {
    NOTIFYICONDATA nid;
    nid.cbSize = DWORD(lNidSize);
    nid.hWnd = hWnd;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_TIP | NIF_INFO;
    PutTrayField(nid.szTip, sizeof nid.szTip, QString(QChar(0)));
    nid.uTimeoutOrVersion = 3;
    Shell_NotifyIconA(NIM_MODIFY, &nid);
}

void StartBalloonTimer(HWND hWnd, LONG lMilliseconds) {
    if (gBalloonTimerActive || lMilliseconds == 0)
        return;
    gBalloonTimerActive =
        SetTimer(hWnd, kBalloonTimerId, UINT(lMilliseconds), &BalloonTimerProc) == kBalloonTimerId;
}

void StopBalloonTimer(HWND hWnd) {
    if (!gBalloonTimerActive)
        return;
    KillTimer(hWnd, kBalloonTimerId);
    gBalloonTimerActive = false;
    if (frmTallix* window = MainWindow())
        window->StartTrayFlash();
}

LONG BalloonTimerProc(HWND hWnd, UINT uMsg, UINT idEvent, DWORD dwTime) {
    if (uMsg == WM_TIMER && idEvent == kBalloonTimerId && gBalloonTimerActive) {
        StopBalloonTimer(hWnd);
        if (frmTallix* window = MainWindow())
            HideBalloon(window->hWnd());
    }
    return 0;
}

void HookTrayWindow(HWND hWnd) {
    lpPrevTrayProc = SetWindowLongA(hWnd, GWL_WNDPROC, &TrayWndProc);
    g_hooked = hWnd;
}

void UnhookTrayWindow(HWND hWnd) {
    if (!lpPrevTrayProc)
        return;
    SetWindowLongA(hWnd, GWL_WNDPROC, lpPrevTrayProc);
    lpPrevTrayProc = nullptr;
    g_hooked = 0;
}

LONG TrayWndProc(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam) {
    frmTallix* window = MainWindow();
    if (!window || hWnd != window->hWnd() || uMsg != kTrayCallbackMessage)
        return CallWindowProcA(lpPrevTrayProc, hWnd, uMsg, wParam, lParam);
    const bool flashing = window->tmrFlash && window->tmrFlash->isActive();
    switch (lParam) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (flashing) {
            StopTrayFlash();
        } else if (BringModalWindowForward()) {
            // A modal window of the program is up (a dialog, the exit question): it is what
            // the click shows, minimised or not.
        } else if (noDialogInTheWay()) {
            DoEvents();
            window->RestoreFromTray();
            ApplyAlwaysOnTop();
        }
        break;
    case WM_RBUTTONUP:
        if (flashing) {
            StopTrayFlash();
        } else if (BringModalWindowForward()) {
            // No menu while a modal window is up: the window shows instead.
        } else if (noDialogInTheWay()) {
            DoEvents();
            SetForegroundWindow(window->hWnd());
            window->PopupMenu(window->mPopupSys, window->mnuPrayNow);
        }
        break;
    case NIN_BALLOONSHOW:
        StartBalloonTimer(hWnd, LONG(kBalloonWatchdogMs));
        break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONUSERCLICK:
        StopBalloonTimer(hWnd);
        break;
    default:
        break;
    }
    return 0;
}

void StopTrayFlash() {
    frmTallix* window = MainWindow();
    if (!window)
        return;
    if (window->tmrCounter)
        window->tmrCounter->stop();
    if (window->tmrFlash)
        window->tmrFlash->stop();
    gTrayFlashing = 0;
    window->TrayFlashKind = 0;
    NOTIFYICONDATA& nid = window->gTrayIconData;
    if (gMuteAll == 0 && window->imgIconKabaa[0])
        nid.hIcon = window->imgIconKabaa[0]->Picture().Handle();
    else if (gMuteAll == 1 && window->imgIconKabaa[2])
        nid.hIcon = window->imgIconKabaa[2]->Picture().Handle();
    nid.uFlags = NIF_ICON | NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &nid);
    window->UpdateCurrentTime();
}

bool IsTrayIconShown() {
    return g_iconShown;
}
