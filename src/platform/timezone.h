#pragma once
// The time zone of the machine, as the program asks for it: the zone's current rules expressed
// as the yearly transition rules of SYSTEMTIME records.
#include "wintypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>
#include <functional>

using WORD = std::uint16_t;

struct SYSTEMTIME {
    WORD wYear = 0; // 0: a yearly rule; otherwise the date itself
    WORD wMonth = 0;
    WORD wDayOfWeek = 0; // 0 Sunday .. 6 Saturday
    WORD wDay = 0;       // in a yearly rule: the occurrence 1..4, or 5 for the last
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

struct TIME_ZONE_INFORMATION {
    LONG Bias = 0; // minutes: UTC = local time + bias
    char16_t StandardName[32] = {};
    SYSTEMTIME StandardDate;
    LONG StandardBias = 0;
    char16_t DaylightName[32] = {};
    SYSTEMTIME DaylightDate;
    LONG DaylightBias = 0;
};

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// The system's zone from the time-zone database. TIME_ZONE_ID_UNKNOWN for a zone without
// daylight saving this year.
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* lpTimeZoneInformation);

// The system's zone as it stands on a given day of any year: see TimeZoneInformationOn.
DWORD GetTimeZoneInformationOn(const QDate& day, TIME_ZONE_INFORMATION* lpTimeZoneInformation);

namespace platform {

// The information of a zone at an instant: its transitions in that instant's year, as yearly
// rules where the dates follow an "n-th weekday" pattern over this and next year, else as
// that year's dates.
DWORD TimeZoneInformationFor(const QTimeZone& zone, const QDateTime& at,
                             TIME_ZONE_INFORMATION* info);

// The information of a zone for one day of any year, from that year's own rules: the change
// that put the day's clock time in force and the change that ends it, as absolute dates (each the
// first day whose noon follows the change), Bias from the zone's standard offset as the zone list
// shows it (ZoneStandardOffset) and DaylightBias by how far the day's noon differs from it, so
// that standard offset plus daylight hours is the day's clock on every day: Casablanca's
// standard +1 is an hour behind in Ramadan, Dublin's winter is standard. A day on its standard
// offset in a year without changes answers TIME_ZONE_ID_UNKNOWN. Years of three or more changes
// (Casablanca around Ramadan) are exact, which a pair of yearly rules cannot be.
DWORD TimeZoneInformationOn(const QTimeZone& zone, const QDate& day, TIME_ZONE_INFORMATION* info);

// The IANA id of the system's zone (the hook's answer when a test installed one).
QByteArray SystemZoneId();
// The system's zone itself.
QTimeZone SystemZone();

// Tests stand in for the system's zone, for the zone list and the daylight hours alike. An empty
// function brings back the real one.
using SystemZoneHook = std::function<QByteArray()>;
void InstallSystemZoneHook(SystemZoneHook hook);

using TimeZoneHook = DWORD (*)(TIME_ZONE_INFORMATION*);
// Tests answer GetTimeZoneInformation themselves; nullptr goes back to the system zone. The same
// answer serves GetTimeZoneInformationOn for every day.
void InstallTimeZoneHook(TimeZoneHook hook);

using DayTimeZoneHook = DWORD (*)(const QDate&, TIME_ZONE_INFORMATION*);
// Tests answer GetTimeZoneInformationOn for a chosen zone; it wins over the hook above.
void InstallDayTimeZoneHook(DayTimeZoneHook hook);

} // namespace platform
