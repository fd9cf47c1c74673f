#pragma once
// Small wrappers over the system calls: the registry, window search, the platform id and the
// user's locale texts.
#include "platform/registry.h"
#include "platform/wintypes.h"

#include <QString>
#include <cstdint>

// Text values under the current user's hive. A read creates a missing key; a missing or empty
// value reads as "". An empty text is stored as one blank.
QString RegGetString(const QString& sSubKey, const QString& sValueName);
bool RegSetString(const QString& sSubKey, const QString& sValueName, const QString& sData);
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
