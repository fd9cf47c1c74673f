#pragma once
// System-wide parameters: the screen saver, the fonts of message boxes and window frames, the
// caret blink time and the screen's resolution.
//
// Linux meaning: the screen saver is the session's org.freedesktop.ScreenSaver service on the
// session bus; the fonts are the desktop's general font as Qt's platform theme reports it; the
// caret blink time comes from QStyleHints; the resolution is the primary screen's logical dpi.
#include "system_answer.h"
#include "wintypes.h"

#include <QFont>
#include <QString>

using HDC = std::int32_t;
using BYTE = std::uint8_t;

constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
// The wParam of the WM_SETTINGCHANGE a change of the screen saver's presence sends.
constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;
constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;

constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;

constexpr int LF_FACESIZE = 32;

// A font description. The face name is UTF-8, NUL-padded; a name too long for the field is
// cut at a character boundary.
struct LOGFONTA {
    LONG lfHeight = 0; // negative: character height in pixels; positive: cell height
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTA) == 60);

struct NONCLIENTMETRICSA {
    UINT cbSize = 0;
    int iBorderWidth = 0;
    int iScrollWidth = 0;
    int iScrollHeight = 0;
    int iCaptionWidth = 0;
    int iCaptionHeight = 0;
    LOGFONTA lfCaptionFont;
    int iSmCaptionWidth = 0;
    int iSmCaptionHeight = 0;
    LOGFONTA lfSmCaptionFont;
    int iMenuWidth = 0;
    int iMenuHeight = 0;
    LOGFONTA lfMenuFont;
    LOGFONTA lfStatusFont;
    LOGFONTA lfMessageFont;
};
static_assert(sizeof(NONCLIENTMETRICSA) == 340);

// SPI_GETSCREENSAVEACTIVE: *(BOOL*)pvParam = TRUE when the session has a screen saver that can
// be started, FALSE when the session bus has none; the call fails (FALSE) when the session bus
// cannot be reached. It never waits on the bus: the presence is followed from the first call
// on, and each change sends WM_SETTINGCHANGE with SPI_SETSCREENSAVEACTIVE to the window of the
// system broadcasts (broadcasts.h). SPI_GETNONCLIENTMETRICS: fills the NONCLIENTMETRICSA at
// pvParam, whose cbSize must be 340 (the fonts are the desktop's general font, the metrics Qt's
// style metrics). Any other action fails.
BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// Milliseconds between two flips of the text caret: half of the desktop's cursor flash
// period. 0xFFFFFFFF (INFINITE) when the desktop does not blink the cursor.
constexpr UINT INFINITE_BLINK = 0xFFFFFFFFu;
UINT GetCaretBlinkTime();

// The desktop window and its device context, enough to ask for the screen's resolution.
HWND GetDesktopWindow();
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);
// LOGPIXELSX / LOGPIXELSY: the primary screen's logical dots per inch (96 when there is no
// screen); 0 for any other index or a context not from GetDC.
int GetDeviceCaps(HDC hdc, int index);

namespace platform {

// What the session offers on the session bus for the screen saver.
enum class ScreenSaverService {
    Present, // org.freedesktop.ScreenSaver answers
    Absent,  // the bus is there, the service is not
    NoBus,   // no session bus
};

class SystemBackend {
public:
    virtual ~SystemBackend() = default;
    virtual ScreenSaverService screenSaver() = 0;
    // The two requests below never wait: each calls answer exactly once, at once or later,
    // with ok when it was done.
    // Asks the session's screen saver to start now; not ok when it refused or is not there.
    virtual void activateScreenSaver(SystemAnswer answer) = 0;
    // Locks the session now (the screen saver's lock, else the login manager's); not ok when
    // nothing would lock it.
    virtual void lockSession(SystemAnswer answer) { answer(false, QString()); }
    // The desktop's general font (message boxes, captions, menus, status bars).
    virtual QFont systemFont() = 0;
    // The cursor flash period in ms (on and off together); 0 when the cursor does not blink.
    virtual int cursorFlashTime() = 0;
    virtual int logicalDpiY() = 0;
};
SystemBackend& CurrentSystemBackend();
void InstallSystemBackend(SystemBackend* backend);

// Starts the session's screen saver (the default handling of the screen-save system command)
// without waiting; answer, when given, hears from the event loop whether it started. Asked
// again while its request waits, it asks nothing more and only the newest answer hears.
void ActivateScreenSaver(SystemAnswer answer = {});

// A font as a LOGFONTA, its height negative (character height) at the given dpi.
LOGFONTA LogFontFromQFont(const QFont& font, int dpiY);

} // namespace platform

// Locks the workstation: the session's screen locker takes over. As the Windows call, it
// returns at once, nonzero when the request is made; answer, when given, hears later from the
// event loop whether the session locked. Called again while its request waits, it asks nothing
// more and only the newest answer hears.
BOOL LockWorkStation(platform::SystemAnswer answer = {});
