#pragma once
// Small wrappers over the system calls: the registry, window search, the platform id and the
// user's locale texts.
#include "platform/registry.h"
#include "platform/wintypes.h"

#include <QList>
#include <QPair>
#include <QString>
#include <cstdint>
#include <functional>

// Text values under the current user's hive. A read creates a missing key; a missing or empty
// value reads as "". An empty text is stored as one blank.
QString RegGetString(const QString& sSubKey, const QString& sValueName);
bool RegSetString(const QString& sSubKey, const QString& sValueName, const QString& sData);
// Several texts (name, text) in one change of the store: all of them are kept or none.
bool RegSetStrings(const QString& sSubKey, const QList<QPair<QString, QString>>& values);
// Under any root key; the key is not created.
bool RegDeleteValue(HKEY hRoot, const QString& sSubKey, const QString& sValueName);
LONG RegGetDWord(HKEY hRoot, const QString& sSubKey, const QString& sValueName, LONG lDefault);

// The first top-level window whose title contains the text (case ignored), 0 if none.
HWND FindWindowByTitle(const QString& sTitle);
BOOL EnumWindowsProc(HWND hWnd, LONG lParam);

void InitPlatformId();

// The user's locale text of the type (LOCALE_SDECIMAL...), "" when it cannot be read.
QString GetUserLocaleInfo(LONG lLocaleType);

extern QString gFindTitle;
extern HWND gFoundHwnd;

// ---- system queries and shell actions ----
// None keeps state; each carries on past a failing step and answers its default.

// The folder the user picks in the folder dialog owned by the window, "" when cancelled.
QString BrowseForFolder(HWND hWndOwner, const QString& sTitle);
// 3, 4, 5 for an Internet library 1.0, 1.1, 1.2; 1 for any other version; 0 when it cannot
// tell.
std::int16_t GetWininetVersionClass();
// Whether the Internet can be reached; true without asking for library classes 0, 2 and 3.
bool IsInternetConnected();
// Whether the session has a screen saver: the "ScreenSaveActive" text of
// "Control Panel\Desktop" when it is a number, else the system's answer, true when the system
// cannot tell.
bool IsScreenSaverActive();
// Where a file dialog opens when no file was chosen before: the user's Documents folder when
// it exists, else the home folder (never the program's own folder).
QString GetDocumentsFolder();
// Starts the session's screen saver now, without waiting for it; started, when given, hears
// later from the event loop whether it did (false when the desktop has none or it refused).
void StartScreenSaver(std::function<void(bool started)> started = {});
// The locale text of the type for the locale, "" when there is none.
QString GetLocaleInfoString(LONG lcid, LONG lLCType);
// The first day of the user's week: 1 Sunday .. 7 Saturday.
std::int16_t GetFirstDayOfWeek();
// Keeps the window above the others (bOnTop) or lets it be covered.
void SetTopMost(HWND hWnd, bool bOnTop);
// The main window's topmost state from the AlwaysOnTop setting.
void ApplyAlwaysOnTop();
// False only when the user's "EnableBalloonTips" value says so.
bool IsBalloonTipsEnabled();
// Opens the desktop's date-and-time settings without waiting for them. The desktop's settings
// have no tabs, so iTab chooses nothing. False when the desktop has no such settings program
// or it could not be started.
bool OpenDateTimeControlPanel(std::int16_t iTab);
