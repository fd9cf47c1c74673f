#pragma once
// The daylight-saving hours in force on a given day.
#include "platform/timezone.h"
#include "prayerlib/tallixtime.h"

#include <QDate>

// By the daylight-saving mode: automatic (the system zone's rules), manual (a fixed amount all
// year) or none. Hours; in automatic mode the day's clock less the zone's standard offset
// (platform::ZoneStandardOffset), which may be a fraction (Lord Howe) or negative (Casablanca in
// Ramadan).
double GetDaylightOffset(const PrayerDate& dt);

// The date a yearly transition rule gives in the year; for a malformed rule the zero date
// (30 December 1899).
QDate TransitionDate(const SYSTEMTIME& stRule, int iYear);

// The zero date of the date serial.
inline QDate ZeroDate() {
    return QDate(1899, 12, 30);
}
