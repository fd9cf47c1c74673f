#pragma once
// Dates and times in the user's format, with the program's own month and weekday names.
#include "runtime/VBDate.h"

#include <QString>
#include <array>
#include <cstdint>

// The time pattern of every long prayer-time display, refreshed with the system font.
extern QString gTimeFormat;

// The program's month and weekday names, filled from the string table by the main window
// (frmTallix::TranslateDateNames). Months 1..12, weekdays 1 Sunday .. 7 Saturday; entry 0 and
// the initials past 7 stay empty.
extern std::array<QString, 13> gGregorianMonthLong;
extern std::array<QString, 13> gGregorianMonthShort;
extern std::array<QString, 13> gHijriMonthLong;
extern std::array<QString, 13> gHijriMonthShort;
extern std::array<QString, 8> gDayNameLong;
extern std::array<QString, 8> gDayNameShort;
extern std::array<QString, 51> gDayNameInitial;

// The text before the first NUL of s; "" when s begins with one; s without its leading and
// trailing blanks when it holds none.
QString TrimAtNull(const QString& s);

// In the Hijri calendar: style 0 the short month name, a blank and the day ("Ram 1"); style 1
// the long month name, a blank and the year ("Ramadan 1420"); "" for another style.
QString FormatHijriMonthText(const Date& dt, std::int16_t iStyle);

// Whether the user's locale speaks the program's language (the string table's): only then do
// the program's own names and AM/PM go into the locale's patterns. A locale that does not say
// counts as speaking it.
bool LocaleSpeaksProgramLanguage();

// The long date of the user's locale for dt in calendar iCal (vbCalGreg, vbCalHijri): with the
// program's month and weekday names where the locale speaks the program's language, else with
// the locale's own names (the forms a date puts beside its day), so the whole date is in one
// language ("2025年3月9日日曜日", never "2025年3月9日Sunday").
QString FormatLongDateLocalized(std::int16_t iCal, const Date& dt);

// The user locale's time pattern as a pattern for the time formatter: its AM/PM designator is
// the program's ("AM/PM") where the locale speaks the program's language, else the locale's own
// ("AMPM": "오후 3:28:00", never "PM 3:28:00").
QString GetTimeFormatPattern();

// The time of dt as "Medium Time" writes it ("05:12 AM"), for a sentence of the program's own
// ("Next is Fajr at "): where the locale does not speak the program's language, with the
// program's designators rather than the locale's.
QString FormatMediumTimeForText(const Date& dt);

// The program's long (bLong nonzero) or short name of month iMonth of calendar iCal; "" for
// another calendar or a month outside 0..12.
QString GetMonthName(std::int16_t iCal, std::int16_t iMonth, std::int16_t bLong);
