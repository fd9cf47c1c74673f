#pragma once
// The time zones the system knows, under their Windows names, and making one of them the
// system's zone. The zone data is the IANA database that Qt reads; each Windows zone stands
// for the IANA zones Qt maps to it, and its rules are those of its default IANA zone.
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
// Empty when the database can't be read.
QList<WindowsZone> EnumWindowsZones();

// The Windows id of the system's zone; "" when it has none.
QString SystemWindowsZoneId();

// Makes the IANA zone the system's zone (systemd-timedated's SetTimezone over the system bus,
// which may ask the user to authenticate). False with the reason in *error when the service
// is missing or refuses.
bool SetSystemTimeZone(const QByteArray& ianaId, QString* error);

// Tests stand in for the system: the zone in force and the SetTimezone call. An empty
// function brings back the real one.
using SystemZoneHook = std::function<QByteArray()>;
using SetTimezoneHook = std::function<bool(const QByteArray& ianaId, QString* error)>;
void InstallSystemZoneHook(SystemZoneHook hook);
void InstallSetTimezoneHook(SetTimezoneHook hook);

} // namespace platform
