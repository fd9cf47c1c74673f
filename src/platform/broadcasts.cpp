#include "broadcasts.h"

#include "sysparams.h"
#include "wndproc.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSocketNotifier>
#include <QVariantMap>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace platform {
namespace {

HWND g_window = 0;

// With TZ unset the C library looks at /etc/localtime again at every local-time conversion,
// many times a second. While the watch below follows the zone, TZ names that file instead: the
// library then reads it once, and again only when the watch reports a new zone.
const QByteArray kZoneFile = QByteArrayLiteral(":/etc/localtime");
bool g_zonePinned = false;

void pinZone() {
    if (g_zonePinned || qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", kZoneFile);
    g_zonePinned = true;
    ::tzset();
}

void unpinZone() {
    if (g_zonePinned && qgetenv("TZ") == kZoneFile)
        qunsetenv("TZ");
    g_zonePinned = false;
    ::tzset();
}

void send(UINT message, LONG wParam) {
    if (g_window != 0)
        SendMessageA(g_window, message, wParam, 0);
}

// Lives on the user-interface thread while broadcasts are delivered.
class Listener final : public QObject {
    Q_OBJECT
public:
    Listener() : QObject(QCoreApplication::instance()) {
        armClockWatch();
        zoneFile_ = zoneSignature();
        watchZoneFile();
        connect(&zoneWatcher_, &QFileSystemWatcher::fileChanged, this, &Listener::zoneFileChanged);
        connect(&zoneWatcher_, &QFileSystemWatcher::directoryChanged, this,
                &Listener::zoneFileChanged);
        QDBusConnection system = QDBusConnection::systemBus();
        if (system.isConnected()) {
            system.connect(QStringLiteral("org.freedesktop.login1"),
                           QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"),
                           QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
            system.connect(QStringLiteral("org.freedesktop.timedate1"),
                           QStringLiteral("/org/freedesktop/timedate1"),
                           QStringLiteral("org.freedesktop.DBus.Properties"),
                           QStringLiteral("PropertiesChanged"), this,
                           SLOT(timedateChanged(QString, QVariantMap, QStringList)));
        }
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~Listener() override {
        if (clockFd_ >= 0)
            ::close(clockFd_);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance()) {
            switch (event->type()) {
            case QEvent::LocaleChange:
            case QEvent::ApplicationFontChange:
                send(WM_SETTINGCHANGE, 0);
                break;
            case QEvent::ApplicationPaletteChange:
                send(WM_SYSCOLORCHANGE, 0);
                break;
            default:
                break;
            }
        }
        return false;
    }

private slots:
    void prepareForSleep(bool sleeping) { BroadcastPrepareForSleep(sleeping); }
    void timedateChanged(const QString& interface, const QVariantMap& changed,
                         const QStringList& invalidated) {
        if (changed.contains(QStringLiteral("Timezone")) ||
            invalidated.contains(QStringLiteral("Timezone")))
            BroadcastTimeChange();
    }
    void zoneFileChanged() {
        watchZoneFile();
        // /etc changes for many reasons; only a new zone (another target of the link, or new
        // contents) counts.
        const QString now = zoneSignature();
        if (now == zoneFile_)
            return;
        zoneFile_ = now;
        BroadcastTimeChange();
    }
    void clockSet() {
        std::uint64_t expirations = 0;
        // A cancelled timer reads ECANCELED: the clock was set. Arm it again either way.
        const ssize_t n = ::read(clockFd_, &expirations, sizeof expirations);
        const bool cancelled = n < 0 && errno == ECANCELED;
        armClockWatch();
        if (cancelled)
            BroadcastTimeChange();
    }

private:
    static QString zoneSignature() {
        const QFileInfo target(QFileInfo(QStringLiteral("/etc/localtime")).canonicalFilePath());
        return target.filePath() + QLatin1Char('@') +
               QString::number(target.lastModified().toMSecsSinceEpoch()) + QLatin1Char('/') +
               QString::number(target.size());
    }

    void watchZoneFile() {
        if (!zoneWatcher_.files().isEmpty())
            zoneWatcher_.removePaths(zoneWatcher_.files());
        if (QFileInfo::exists(QStringLiteral("/etc/localtime")))
            zoneWatcher_.addPath(QStringLiteral("/etc/localtime"));
        if (zoneWatcher_.directories().isEmpty() && QFileInfo::exists(QStringLiteral("/etc")))
            zoneWatcher_.addPath(QStringLiteral("/etc"));
    }

    // A timer far in the future on the real-time clock, cancelled by the kernel whenever the
    // clock is set.
    void armClockWatch() {
        if (clockFd_ < 0) {
            clockFd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
            if (clockFd_ < 0)
                return;
            clockNotifier_ = new QSocketNotifier(clockFd_, QSocketNotifier::Read, this);
            connect(clockNotifier_, &QSocketNotifier::activated, this, &Listener::clockSet);
        }
        itimerspec farAway{};
        // Fifty years on: it never expires while armed, and every wake arms it afresh.
        farAway.it_value.tv_sec = ::time(nullptr) + time_t(50) * 365 * 24 * 3600;
        ::timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &farAway, nullptr);
    }

    int clockFd_ = -1;
    QSocketNotifier* clockNotifier_ = nullptr;
    QFileSystemWatcher zoneWatcher_;
    QString zoneFile_;
};

QPointer<Listener> g_listener;

} // namespace

void StartSystemBroadcasts(HWND hWnd) {
    g_window = hWnd;
    if (!g_listener && QCoreApplication::instance()) {
        g_listener = new Listener();
        pinZone();
    }
}

void StopSystemBroadcasts() {
    g_window = 0;
    if (g_listener)
        unpinZone();
    delete g_listener.data();
}

HWND SystemBroadcastWindow() {
    return g_window;
}

void BroadcastTimeChange() {
    // The C library reads the zone again; Qt's local time follows it. A pinned TZ is taken away
    // for one reading, so the file is looked at anew.
    if (g_zonePinned && qgetenv("TZ") == kZoneFile) {
        qunsetenv("TZ");
        ::tzset();
        qputenv("TZ", kZoneFile);
    }
    ::tzset();
    send(WM_TIMECHANGE, 0);
}

void BroadcastPrepareForSleep(bool sleeping) {
    send(WM_POWERBROADCAST, sleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC);
}

void BroadcastScreenSaverChange() {
    send(WM_SETTINGCHANGE, LONG(SPI_SETSCREENSAVEACTIVE));
}

} // namespace platform

#include "broadcasts.moc"
