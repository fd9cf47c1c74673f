#pragma once
// The time zones the system knows, under their Windows names, and making one of them the
// system's zone. The zone data is the IANA database that Qt reads; each Windows zone stands
// for the IANA zones Qt maps to it, and its rules are those of its default IANA zone.
#include "system_answer.h"
#include "timezone.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace platform {

struct WindowsZone {
    QString keyName;            // the Windows zone id, such as "Arab Standard Time"
    QString display;            // "(GMT+03:00) Riyadh, Kuwait, Aden": standard offset, then places
    QString standardName;       // the zone's standard-time name (its Windows id)
    QString daylightName;       // its daylight-time name
    QByteArray ianaId;          // the IANA zone that stands for it
    TIME_ZONE_INFORMATION info; // biases and this year's transition rules
};

// Every Windows zone with at least one IANA zone in the system's database, ordered by id.
// Empty when the database can't be read. Made anew when the system's zone or the day changes.
QList<WindowsZone> EnumWindowsZones();

// The Windows id of the system's zone; "" when it has none.
QString SystemWindowsZoneId();

// The Windows id of an IANA zone: its own, under its current or former name, else that of a
// zone with the same offsets over two years (one newer than the mapping); "" when none.
QString WindowsZoneIdOf(const QByteArray& ianaId);

// The standard offset of a zone in seconds east of UTC, as the program counts it: the one the
// zone list shows for the Windows zone the zone belongs to (so Dublin, whose database calls its
// summer time standard, counts GMT as London does, and Casablanca +1), else the zone's own.
// What the prayer settings record as the zone's offset and what the daylight hours are counted
// from.
int ZoneStandardOffset(const QTimeZone& zone);

// Asks systemd-timedated (SetTimezone over the system bus, interactive: the desktop's agent
// may ask the user for a password) to make the IANA zone the system's zone. Returns at once;
// answer runs later from the event loop: ok, or false with the reason when the bus or the
// service is missing, refuses, or has not answered within two minutes. The same zone asked for
// again meanwhile makes no second request; only the newest answer hears.
void SetSystemTimeZone(const QByteArray& ianaId, SystemAnswer answer);

// Tests stand in for the SetTimezone call (and for the zone in force with
// InstallSystemZoneHook, timezone.h): the hook gets the answer to call, at once or later. An
// empty function brings back the real one.
using SetTimezoneHook = std::function<void(const QByteArray& ianaId, SystemAnswer answer)>;
void InstallSetTimezoneHook(SetTimezoneHook hook);

} // namespace platform
