#include "tzlist.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QMap>
#include <QSet>
#include <QTimeZone>

namespace {

platform::SystemZoneHook gSystemZone;
platform::SetTimezoneHook gSetTimezone;

QByteArray systemZoneId() {
    return gSystemZone ? gSystemZone() : QTimeZone::systemTimeZoneId();
}

// "(GMT+03:00)", "(GMT-03:30)", "(GMT)" for an offset in seconds.
QString offsetText(int seconds) {
    if (seconds == 0)
        return QStringLiteral("(GMT)");
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("(GMT%1%2:%3)")
        .arg(seconds > 0 ? QLatin1Char('+') : QLatin1Char('-'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// The place part of an IANA id: "America/Argentina/Buenos_Aires" gives "Buenos Aires".
QString placeOf(const QByteArray& ianaId) {
    QString place = QString::fromUtf8(ianaId.mid(ianaId.lastIndexOf('/') + 1));
    return place.replace(QLatin1Char('_'), QLatin1Char(' '));
}

} // namespace

namespace platform {

void InstallSystemZoneHook(SystemZoneHook hook) {
    gSystemZone = std::move(hook);
}

void InstallSetTimezoneHook(SetTimezoneHook hook) {
    gSetTimezone = std::move(hook);
}

QList<WindowsZone> EnumWindowsZones() {
    // The Windows ids of the zones the database holds, with their IANA zones.
    QMap<QString, QList<QByteArray>> zones;
    for (const QByteArray& iana : QTimeZone::availableTimeZoneIds()) {
        const QByteArray win = QTimeZone::ianaIdToWindowsId(iana);
        if (!win.isEmpty())
            zones[QString::fromLatin1(win)] << iana;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<WindowsZone> out;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(it.key().toLatin1());
        if (iana.isEmpty() || !it.value().contains(iana))
            iana = it.value().front();
        const QTimeZone tz(iana);
        if (!tz.isValid())
            continue;
        WindowsZone z;
        z.keyName = it.key();
        z.ianaId = iana;
        z.standardName = it.key();
        z.daylightName = QString(it.key()).replace(QStringLiteral("Standard"),
                                                    QStringLiteral("Daylight"));
        TimeZoneInformationFor(tz, now, &z.info);
        const int standard = tz.standardTimeOffset(now);
        z.info.Bias = -standard / 60;
        // The default zone's place first, then up to two more, as a Windows name lists a few.
        QStringList places{placeOf(iana)};
        for (const QByteArray& other : it.value()) {
            if (places.size() >= 3)
                break;
            const QString p = placeOf(other);
            if (!places.contains(p) && !other.startsWith("Etc/"))
                places << p;
        }
        z.display = offsetText(standard) + QLatin1Char(' ') + places.join(QStringLiteral(", "));
        out << z;
    }
    return out;
}

QString SystemWindowsZoneId() {
    const QByteArray iana = systemZoneId();
    if (iana.isEmpty())
        return {};
    return QString::fromLatin1(QTimeZone::ianaIdToWindowsId(iana));
}

bool SetSystemTimeZone(const QByteArray& ianaId, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (gSetTimezone)
        return gSetTimezone(ianaId, error);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("the system bus cannot be reached");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTimezone"));
    // Interactive: the desktop's authentication agent may ask for a password, so the call
    // waits as long as a person may need for it.
    call << QString::fromUtf8(ianaId) << true;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 120000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return false;
    }
    return true;
}

} // namespace platform
