#pragma once
// The notification area (system tray): Shell_NotifyIconA over QSystemTrayIcon.
//
// Each (hWnd, uID) pair names one tray icon. The icon handle in a record names an icon
// registered with platform::RegisterIcon (icons.h). Text fields hold UTF-8 text ending at the
// first NUL; a field without a NUL is read to its full width.
//
// Without a system tray (no desktop tray, or the offscreen platform) adding an icon fails and
// returns FALSE, as the call does when the shell is not running; the other messages then fail
// too, since no icon exists.
#include "wintypes.h"

#include <QString>
#include <cstddef>

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;
constexpr DWORD NIM_SETVERSION = 4;

constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;
constexpr UINT NIF_INFO = 0x10;

// Balloon icons (dwInfoFlags).
constexpr DWORD NIIF_NONE = 0;
constexpr DWORD NIIF_INFO = 1;
constexpr DWORD NIIF_WARNING = 2;
constexpr DWORD NIIF_ERROR = 3;

// What a tray icon reports to its window as the lParam of the callback message (the wParam
// is the icon's uID).
constexpr LONG WM_LBUTTONUP = 0x202;
constexpr LONG WM_LBUTTONDBLCLK = 0x203;
constexpr LONG WM_RBUTTONDOWN = 0x204;
constexpr LONG WM_RBUTTONUP = 0x205;
constexpr LONG WM_RBUTTONDBLCLK = 0x206;
constexpr LONG WM_MBUTTONUP = 0x208;
constexpr LONG NIN_BALLOONSHOW = 0x402;
constexpr LONG NIN_BALLOONHIDE = 0x403;
constexpr LONG NIN_BALLOONTIMEOUT = 0x404;
constexpr LONG NIN_BALLOONUSERCLICK = 0x405;

// The tray record. Records of cbSize below 488 (the oldest form, 88 bytes) carry only the
// first 64 bytes of the tip and no balloon; smaller than 88 is not a record and fails.
struct NOTIFYICONDATA {
    DWORD cbSize = 0;
    HWND hWnd = 0;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HANDLE hIcon = 0;
    char szTip[128] = {};
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    char szInfo[256] = {};
    UINT uTimeoutOrVersion = 0; // balloon timeout in ms, or the NIM_SETVERSION version
    char szInfoTitle[64] = {};
    DWORD dwInfoFlags = 0;
};
static_assert(sizeof(NOTIFYICONDATA) == 488);

constexpr DWORD kNotifyIconDataOldSize = 88;
constexpr DWORD kNotifyIconDataBalloonSize = 488;

// NIM_ADD: adds the icon (fails when it exists). NIM_MODIFY: changes what uFlags names.
// NIM_DELETE: removes it. NIM_SETVERSION: records uTimeoutOrVersion as the icon's version.
// NIF_INFO with a balloon text shows a balloon (QSystemTrayIcon::showMessage), with an empty
// text it ends the balloon. TRUE on success, FALSE otherwise (a null record included).
BOOL Shell_NotifyIconA(DWORD dwMessage, NOTIFYICONDATA* pnid);

namespace platform {

// The text of a fixed-width field: up to the first NUL, or the whole field without one.
QString FieldText(const char* field, std::size_t width);

// What Shell_NotifyIconA works on. The program uses the desktop's tray; tests install a fake.
class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    // pnid is never null here; cbSize is not checked yet.
    virtual BOOL notifyIcon(DWORD message, const NOTIFYICONDATA& data) = 0;
};

// The backend in use: the desktop's tray unless a test installed its own. nullptr restores it.
// The installed backend is not owned.
TrayBackend& CurrentTrayBackend();
void InstallTrayBackend(TrayBackend* backend);

// Where the tray's mouse and balloon events go: the icon's window, its callback message, the
// icon's uID and the event (WM_LBUTTONUP, NIN_BALLOONSHOW...). Only icons whose record set
// NIF_MESSAGE report events. Until a hook is installed the events are dropped.
using TrayEventHook = void (*)(HWND hWnd, UINT uCallbackMessage, UINT uID, LONG lParam);
void InstallTrayEventHook(TrayEventHook hook);

// Called whenever the desktop's tray host (org.kde.StatusNotifierWatcher on the session bus)
// appears: started late, or restarted after a crash. Icons added before it went away are gone
// with it and must be added again. nullptr stops the watch.
using TrayHostHook = void (*)();
void InstallTrayHostHook(TrayHostHook hook);

} // namespace platform
