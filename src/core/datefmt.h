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

// The long date of the user's locale for dt in calendar iCal (vbCalGreg, vbCalHijri), with the
// program's month and weekday names.
QString FormatLongDateLocalized(std::int16_t iCal, const Date& dt);

// The user locale's time pattern as a pattern for the time formatter.
QString GetTimeFormatPattern();

// The program's long (bLong nonzero) or short name of month iMonth of calendar iCal; "" for
// another calendar or a month outside 0..12.
QString GetMonthName(std::int16_t iCal, std::int16_t iMonth, std::int16_t bLong);
