#pragma once
// The user's locale, as the program asks for it.
#include "wintypes.h"

#include <QString>

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCTYPE LOCALE_SDECIMAL = 0x0E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0F;
// "0" Monday .. "6" Sunday
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;

// Copies the locale text of the type and its NUL into lpLCData (UTF-8); returns the bytes
// written including the NUL, or with cchData 0 the size needed. 0 for an unknown type or a
// buffer too small.
int GetLocaleInfoA(LCID Locale, LCTYPE LCType, char* lpLCData, int cchData);

namespace platform {

// Where the locale texts come from: the application's default QLocale (the user's locale
// unless a test sets another). Tests may install their own answers.
class LocaleBackend {
public:
    virtual ~LocaleBackend() = default;
    // The text of the type; a null QString for a type we do not know.
    virtual QString info(LCTYPE type) = 0;
};
LocaleBackend& CurrentLocaleBackend();
void InstallLocaleBackend(LocaleBackend* backend);

} // namespace platform
