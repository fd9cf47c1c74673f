#pragma once
// The user's locale, as the program asks for it.
#include "wintypes.h"

#include <QString>

class QLocale;

using LCID = DWORD;
using LCTYPE = DWORD;
using CALID = DWORD;
using CALTYPE = DWORD;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

constexpr LCTYPE LOCALE_SDECIMAL = 0x0E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0F;
constexpr LCTYPE LOCALE_SDATE = 0x1D;             // date separator ("/")
constexpr LCTYPE LOCALE_STIME = 0x1E;             // time separator (":")
constexpr LCTYPE LOCALE_SSHORTDATE = 0x1F;        // short date pattern ("M/d/yyyy")
constexpr LCTYPE LOCALE_SLONGDATE = 0x20;         // long date pattern ("dddd, MMMM d, yyyy")
constexpr LCTYPE LOCALE_S1159 = 0x28;             // morning designator ("AM")
constexpr LCTYPE LOCALE_S2359 = 0x29;             // afternoon designator ("PM")
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x2A;         // 0x2A..0x30: Monday .. Sunday
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x31;   // 0x31..0x37: Mon .. Sun
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x38;       // 0x38..0x43: January .. December
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x44; // 0x44..0x4F: Jan .. Dec
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;     // time pattern ("h:mm:ss tt")
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C; // "0" Monday .. "6" Sunday
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x59;   // the language's code ("en", "ja")
// With a month name type: the form a date pattern puts beside a day ("марта", not "март").
constexpr LCTYPE LOCALE_RETURN_GENITIVE_NAMES = 0x10000000;

// Calendars and their texts.
constexpr CALID CAL_GREGORIAN = 1;
constexpr CALID CAL_HIJRI = 6;
constexpr CALTYPE CAL_SMONTHNAME1 = 0x15;                 // 0x15..0x20: months 1..12
constexpr CALTYPE CAL_SABBREVMONTHNAME1 = 0x22;           // 0x22..0x2D: months 1..12
constexpr CALTYPE CAL_RETURN_GENITIVE_NAMES = 0x10000000; // with a month name: the date form

// Patterns use the Windows pattern letters: d dd ddd dddd (day, weekday), M MM MMM MMMM
// (month), yy yyyy (year), h hh (12-hour), H HH (24-hour), m mm (minutes), s ss, t tt (AM/PM
// designator), text between apostrophes taken as it stands ('' for an apostrophe).

// Copies the locale text of the type and its NUL into lpLCData (UTF-8); returns the bytes
// written including the NUL, or with cchData 0 the size needed. 0 for an unknown type or a
// buffer too small.
int GetLocaleInfoA(LCID Locale, LCTYPE LCType, char* lpLCData, int cchData);

// The same for a text of a calendar (month names of the Hijri calendar...). lpValue, when
// given, receives 0 (no numeric values are answered).
int GetCalendarInfoA(LCID Locale, CALID Calendar, CALTYPE CalType, char* lpCalData, int cchData,
                     DWORD* lpValue);

namespace platform {

// Where the locale texts come from: the application's default QLocale (the user's locale
// unless a test sets another). Tests may install their own answers.
class LocaleBackend {
public:
    virtual ~LocaleBackend() = default;
    // The text of the type; a null QString for a type we do not know.
    virtual QString info(LCTYPE type) = 0;
    // The text of a calendar type; a null QString for one we do not know.
    virtual QString calendarInfo(CALID calendar, CALTYPE type) = 0;
};
LocaleBackend& CurrentLocaleBackend();
void InstallLocaleBackend(LocaleBackend* backend);

// The locale's text of the type through the current backend; "" when it has none.
QString LocaleText(LCTYPE type);
// The calendar's text of the type through the current backend; "" when it has none.
QString CalendarText(CALID calendar, CALTYPE type);

// The decimal separator and the grouping mark of numbers written with Latin digits: the
// locale's own when it writes Latin digits, else "." and "," (the marks the locale itself
// writes beside Latin digits; its own marks go with its own digits, "٫" between Latin digits
// reads as neither).
QString LatinDecimalSeparator(const QLocale& locale);
QString LatinGroupSeparator(const QLocale& locale);

// A Qt date or time pattern in the Windows pattern letters: "h:mm:ss AP t" -> "h:mm:ss tt",
// "HH:mm" stays, an hour without AM/PM becomes H, time-zone and millisecond codes are left out.
QString QtPatternToWindows(const QString& qtPattern);

// The time of day with seconds in the Windows pattern letters, as the locale writes it at a
// glance: hours, minutes and seconds (two digits each but the hour) between the locale's
// separator marks, and its AM/PM designator before or after them as its long pattern puts it,
// set off by a blank. The long pattern's words, units, time zone and the brackets or commas
// around it are left out ("H時mm分ss秒 t" -> "H:mm:ss", "H:mm:ss (t)" -> "H:mm:ss",
// "AP h시 m분 s초 t" -> "tt h:mm:ss"); a mark that is a word takes the short pattern's mark, or
// ":".
QString TimeOfDayPattern(const QString& qtLong, const QString& qtShort);

} // namespace platform
