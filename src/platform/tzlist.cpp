#include "tzlist.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTimeZone>

namespace {

platform::SetTimezoneHook gSetTimezone;
// A zone asked for again while the system has not answered yet makes no second request (nor a
// second password prompt); another zone is asked for on its own.
platform::OneRequestAtATime gZoneRequests;

// How long a password prompt may keep the answer to a new system zone.
constexpr int kSetTimezoneWaitMs = 120000;

// Zones the Windows mapping knows under another name: those renamed in the database by their
// former names, and the other names of UTC (a TZ=UTC machine) by Etc/UTC.
const QMap<QByteArray, QByteArray>& renamedZones() {
    static const QMap<QByteArray, QByteArray> renamed = {
        {"UTC", "Etc/UTC"},
        {"UCT", "Etc/UTC"},
        {"Universal", "Etc/UTC"},
        {"Zulu", "Etc/UTC"},
        {"Etc/UCT", "Etc/UTC"},
        {"Etc/Universal", "Etc/UTC"},
        {"Etc/Zulu", "Etc/UTC"},
        {"Africa/Asmara", "Africa/Asmera"},
        {"America/Argentina/Buenos_Aires", "America/Buenos_Aires"},
        {"America/Argentina/Catamarca", "America/Catamarca"},
        {"America/Argentina/Cordoba", "America/Cordoba"},
        {"America/Argentina/Jujuy", "America/Jujuy"},
        {"America/Argentina/Mendoza", "America/Mendoza"},
        {"America/Atikokan", "America/Coral_Harbour"},
        {"America/Indiana/Indianapolis", "America/Indianapolis"},
        {"America/Kentucky/Louisville", "America/Louisville"},
        {"America/Nuuk", "America/Godthab"},
        {"Asia/Ho_Chi_Minh", "Asia/Saigon"},
        {"Asia/Kathmandu", "Asia/Katmandu"},
        {"Asia/Kolkata", "Asia/Calcutta"},
        {"Asia/Yangon", "Asia/Rangoon"},
        {"Atlantic/Faroe", "Atlantic/Faeroe"},
        {"Europe/Kyiv", "Europe/Kiev"},
        {"Pacific/Chuuk", "Pacific/Truk"},
        {"Pacific/Kanton", "Pacific/Enderbury"},
        {"Pacific/Pohnpei", "Pacific/Ponape"},
    };
    return renamed;
}

// The Windows id of an IANA zone, under its current name or its former one.
QByteArray windowsIdOf(const QByteArray& iana) {
    QByteArray win = QTimeZone::ianaIdToWindowsId(iana);
    if (win.isEmpty() && renamedZones().contains(iana))
        win = QTimeZone::ianaIdToWindowsId(renamedZones().value(iana));
    return win;
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

// The IANA zones of the database by Windows id. The database's list leaves out the Etc/ zones,
// so a system on UTC adds its own zone: the zone in force is always one of the list.
QMap<QString, QList<QByteArray>> windowsGroups() {
    QList<QByteArray> ids = QTimeZone::availableTimeZoneIds();
    const QByteArray system = platform::SystemZoneId();
    if (!system.isEmpty() && !ids.contains(system))
        ids << system;
    QMap<QString, QList<QByteArray>> zones;
    for (const QByteArray& iana : ids) {
        const QByteArray win = windowsIdOf(iana);
        if (!win.isEmpty())
            zones[QString::fromLatin1(win)] << iana;
    }
    return zones;
}

// The IANA zone that stands for a Windows zone: its default one where the database has it,
// else the first of its zones.
QByteArray representative(const QString& win, const QList<QByteArray>& members) {
    const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(win.toLatin1());
    if (iana.isEmpty() || !members.contains(iana))
        return members.isEmpty() ? QByteArray() : members.front();
    return iana;
}

// The standard offset the list shows for the zone that stands for a Windows zone.
int listedStandardOffset(const QTimeZone& representative) {
    return representative.standardTimeOffset(QDateTime::currentDateTimeUtc());
}

// The place part of an IANA id: "America/Argentina/Buenos_Aires" gives "Buenos Aires".
QString placeOf(const QByteArray& ianaId) {
    QString place = QString::fromUtf8(ianaId.mid(ianaId.lastIndexOf('/') + 1));
    return place.replace(QLatin1Char('_'), QLatin1Char(' '));
}

} // namespace

namespace platform {

void InstallSetTimezoneHook(SetTimezoneHook hook) {
    gSetTimezone = std::move(hook);
    gZoneRequests.forget();
}

} // namespace platform

namespace {

QList<platform::WindowsZone> makeWindowsZones() {
    using platform::WindowsZone;
    const QMap<QString, QList<QByteArray>> zones = windowsGroups();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<WindowsZone> out;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        const QByteArray iana = representative(it.key(), it.value());
        const QTimeZone tz(iana);
        if (!tz.isValid())
            continue;
        WindowsZone z;
        z.keyName = it.key();
        z.ianaId = iana;
        z.standardName = it.key();
        z.daylightName =
            QString(it.key()).replace(QStringLiteral("Standard"), QStringLiteral("Daylight"));
        platform::TimeZoneInformationFor(tz, now, &z.info);
        const int standard = listedStandardOffset(tz);
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

} // namespace

namespace platform {

QList<WindowsZone> EnumWindowsZones() {
    // Made once for the system's zone and the day: reading the database's zones costs about
    // ten milliseconds, which every opening of the prayer settings would otherwise pay.
    struct Made {
        QByteArray system;
        QDate day;
        QList<WindowsZone> zones;
    };
    thread_local Made made;
    const QByteArray system = SystemZoneId();
    const QDate day = QDateTime::currentDateTimeUtc().date();
    if (made.zones.isEmpty() || made.system != system || made.day != day)
        made = {system, day, makeWindowsZones()};
    return made.zones;
}

QString SystemWindowsZoneId() {
    return WindowsZoneIdOf(SystemZoneId());
}

QString WindowsZoneIdOf(const QByteArray& iana) {
    if (iana.isEmpty())
        return {};
    const QByteArray direct = windowsIdOf(iana);
    if (!direct.isEmpty())
        return QString::fromLatin1(direct);
    // A zone the mapping doesn't know (one made after it): the zone with the same offsets
    // over two years, of the same region where there is one.
    const QTimeZone zone(iana);
    if (!zone.isValid())
        return {};
    const QDateTime start(QDate(QDate::currentDate().year(), 1, 1), QTime(12, 0), Qt::UTC);
    auto sameOffsets = [&](const QTimeZone& other) {
        for (int month = 0; month < 24; ++month) {
            const QDateTime at = start.addMonths(month);
            if (other.offsetFromUtc(at) != zone.offsetFromUtc(at))
                return false;
        }
        return true;
    };
    const QByteArray region = iana.left(iana.indexOf('/') + 1);
    QByteArray found;
    for (const QByteArray& other : QTimeZone::availableTimeZoneIds()) {
        const QByteArray win = windowsIdOf(other);
        if (win.isEmpty() || !sameOffsets(QTimeZone(other)))
            continue;
        if (!region.isEmpty() && other.startsWith(region))
            return QString::fromLatin1(win);
        if (found.isEmpty())
            found = win;
    }
    return QString::fromLatin1(found);
}

int ZoneStandardOffset(const QTimeZone& zone) {
    // Asked for every day computed: each zone's answer is worked out once.
    thread_local QHash<QByteArray, int> known;
    const auto found = known.constFind(zone.id());
    if (found != known.constEnd())
        return *found;
    int standard = listedStandardOffset(zone);
    const QString win = WindowsZoneIdOf(zone.id());
    if (!win.isEmpty()) {
        const QTimeZone listed(representative(win, windowsGroups().value(win)));
        if (listed.isValid())
            standard = listedStandardOffset(listed);
    }
    if (!zone.id().isEmpty())
        known.insert(zone.id(), standard);
    return standard;
}

namespace {
// Asks systemd-timedated (or the test's stand-in) without waiting; answer is given once.
void askTimedate(const QByteArray& ianaId, SystemAnswer answer) {
    if (gSetTimezone) {
        gSetTimezone(ianaId, std::move(answer));
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        answer(false, QStringLiteral("the system bus cannot be reached"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTimezone"));
    // Interactive: the desktop's authentication agent may ask for a password, so the answer
    // may take as long as a person needs for it; nothing waits for it meanwhile.
    call << QString::fromUtf8(ianaId) << true;
    CallWithoutWaiting(bus, call, kSetTimezoneWaitMs,
                       [answer = std::move(answer)](const QDBusMessage& reply) {
                           if (reply.type() == QDBusMessage::ReplyMessage)
                               answer(true, QString());
                           else
                               answer(false, ErrorReason(reply));
                       });
}

} // namespace

void SetSystemTimeZone(const QByteArray& ianaId, SystemAnswer answer) {
    gZoneRequests.ask(ianaId, AnswerLater(std::move(answer)),
                      [&ianaId](SystemAnswer done) { askTimedate(ianaId, std::move(done)); });
}

} // namespace platform
