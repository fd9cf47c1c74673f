#pragma once
// The process's own time zone, as TZ in the environment sets it for the real program.
#include <QByteArray>
#include <QtGlobal>
#include <ctime>

// Sets TZ to the zone id ("" unsets it, back to the system's zone) and makes it current.
inline void UseProcessZone(const QByteArray& id) {
    if (id.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", id);
    tzset();
}
