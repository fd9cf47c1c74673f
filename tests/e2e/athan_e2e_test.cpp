// The real program on a virtual display and a private session bus, with its clock started
// before Dhuhr (with room for a slow start on a busy machine): it starts as a user's program does
// (log-on entry, tray icon, window), sounds the athan at Dhuhr on ALSA's null device, shows its
// balloon through the notification service, and ends as at a log-out when the session sends
// SIGTERM.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "seeded_folders.h"
#include "signal_process.h"
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <QVariantMap>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

// Makkah's Dhuhr on the day the program's clock is set to, and how long before it the clock
// starts (seconds): more than the program's start, its tray icon and its first tick take on a
// busy machine, which the test waits for (each within kReady ms) before Dhuhr.
const QTime kDhuhr(12, 32);
constexpr int kStartMargin = 45;
constexpr int kReady = 40000;

// The desktop's tray host, as far as a tray icon needs one.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    QStringList registered;
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return registered; }
public slots:
    void RegisterStatusNotifierItem(const QString& service) { registered.append(service); }
    void RegisterStatusNotifierHost(const QString&) {}
};

// The desktop's notification service: keeps what it was asked to show.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;
    QStringList summaries;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        summaries.append(summary);
        bodies.append(body);
        return uint(bodies.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& protocol) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        protocol = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }
    void CloseNotification(uint) {}
};

// The process of that name among the children of a process (xvfb-run starts the program).
qint64 childNamed(qint64 parent, const QByteArray& name) {
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
    if (!children.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& child : children.readAll().split(' ')) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(child.trimmed())));
        if (!child.trimmed().isEmpty() && comm.open(QIODevice::ReadOnly) &&
            comm.readAll().trimmed() == name)
            return child.trimmed().toLongLong();
    }
    return 0;
}

class RealProgramAtDhuhr : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ToolInstalled(QStringLiteral("xvfb-run"), "xvfb"));
        ASSERT_TRUE(ToolInstalled(QStringLiteral("Xvfb"), "xvfb"));
        ASSERT_TRUE(ToolInstalled(QStringLiteral("xauth"), "xauth"));
        ASSERT_TRUE(ToolInstalled(QStringLiteral("dbus-daemon"), "dbus-daemon"));
        // The program, xvfb-run's display server and the bus end with the test.
        StartInOwnSession(bus);
        StartInOwnSession(program);
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.path() + QStringLiteral("/run"), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        // What the program plays lands in a file: the null device ends a sound at once, so
        // whether one is still playing when the event is logged says nothing.
        QFile asoundrc(home.path() + QStringLiteral("/.asoundrc"));
        ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
        asoundrc.write(QStringLiteral("pcm.!default { type file slave.pcm \"null\" file \"%1\" "
                                      "format \"wav\" }\n")
                           .arg(soundFile())
                           .toUtf8());
        asoundrc.close();
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
        ASSERT_TRUE(bus.waitForStarted(30000));
        ASSERT_TRUE(WaitFor([&] { return bus.canReadLine(); }, 30000));
        address = QString::fromUtf8(bus.readLine()).trimmed();
        connection = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("e2e")));
        ASSERT_TRUE(connection->isConnected());
        ASSERT_TRUE(connection->registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                               QDBusConnection::ExportAllSlots |
                                                   QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(connection->registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        ASSERT_TRUE(connection->registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                               &notifications, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(connection->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void TearDown() override {
        // The program first, as at a log-out, so that xvfb-run clears up after it; then what is
        // left of each session: xvfb-run, its display server, the bus.
        if (program.state() != QProcess::NotRunning) {
            if (const qint64 pid = childNamed(program.processId(), "tallix-time"))
                SignalProcess(pid, SIGTERM);
            program.waitForFinished(kReady);
        }
        EndSession(program);
        if (connection)
            QDBusConnection::disconnectFromBus(QStringLiteral("e2e"));
        EndSession(bus);
    }

    QString configDir() const { return home.path() + QStringLiteral("/config"); }
    QString soundFile() const { return home.path() + QStringLiteral("/sound.wav"); }

    // The titles of the windows the program published for other starts.
    QByteArray publishedTitles() const {
        QByteArray all;
        QDir windows(home.path() + QStringLiteral("/run/tallix-time/windows"));
        for (const QString& name : windows.entryList({QStringLiteral("*.list")}, QDir::Files)) {
            QFile f(windows.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                all += f.readAll();
        }
        return all;
    }

    // The tip of the registered tray item, as the tray host reads it.
    QString trayTip() const {
        const QString item = watcher.registered.value(0);
        if (item.isEmpty())
            return QString();
        const QString service = item.section(QLatin1Char('/'), 0, 0);
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("ToolTip");
        const QDBusMessage reply = connection->call(get, QDBus::Block, 3000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QString();
        const QDBusArgument arg =
            reply.arguments().at(0).value<QDBusVariant>().variant().value<QDBusArgument>();
        QString icon, title, text;
        arg.beginStructure();
        arg >> icon;
        arg.beginArray();
        while (!arg.atEnd()) {
            int w = 0, h = 0;
            QByteArray data;
            arg.beginStructure();
            arg >> w >> h >> data;
            arg.endStructure();
        }
        arg.endArray();
        arg >> title >> text;
        arg.endStructure();
        return title + QLatin1Char('\n') + text;
    }

    // The program's environment: its own home, session bus and a sound device that writes a file,
    // the clock started before Makkah's Dhuhr (12:32:00 that day) by more than a start on a busy
    // machine takes, the alerts logged.
    QProcessEnvironment programEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + QStringLiteral("/run"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("default"));
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        env.insert(QStringLiteral("TALLIX_CLOCK_START"),
                   QStringLiteral("2024-03-10T") +
                       kDhuhr.addSecs(-kStartMargin).toString(QStringLiteral("HH:mm:ss")));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tallix.alerts.info=true"));
        return env;
    }
    // The caption names the next prayer, the tray tip its time; at Dhuhr the athan starts on
    // the null device and its balloon is shown. The program's output gathers in log.
    void expectTheAthanAtDhuhr(QByteArray& log) {
        const auto readLog = [&] {
            log += program.readAllStandardError();
            log += program.readAllStandardOutput();
        };
        EXPECT_TRUE(WaitFor(
            [&] { return publishedTitles().contains("Tallix Time - Next Prayer is Dhuhr"); },
            kReady))
            << publishedTitles().constData();
        EXPECT_TRUE(WaitFor([&] { return trayTip().contains(QLatin1String("12:32")); }, kReady))
            << trayTip().toStdString();
        ASSERT_TRUE(WaitFor(
            [&] {
                readLog();
                return log.contains("event 3 at 12:32:00");
            },
            (kStartMargin + 60) * 1000))
            << log.constData();
        // The athan itself, in the file the sound device writes.
        EXPECT_TRUE(WaitFor([&] { return QFileInfo(soundFile()).size() > 4096; }, kReady))
            << log.constData();
        ASSERT_TRUE(WaitFor([&] { return !notifications.bodies.isEmpty(); }, kReady));
        EXPECT_EQ(notifications.bodies.value(0), QStringLiteral("It is now time to pray Dhuhr."));
        EXPECT_EQ(notifications.summaries.value(0), QStringLiteral("Tallix Time"));
    }

    QTemporaryDir home;
    QProcess bus;
    QProcess program;
    QString address;
    std::unique_ptr<QDBusConnection> connection;
    FakeWatcher watcher;
    FakeNotifications notifications;
};

TEST_F(RealProgramAtDhuhr, SoundsTheAthanShowsItsBalloonAndEndsAtLogOut) {
    program.setProcessEnvironment(programEnvironment());
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral(TALLIX_EXE)});
    ASSERT_TRUE(program.waitForStarted(kReady));

    QByteArray log;
    // The tray icon reaches the tray host.
    ASSERT_TRUE(WaitFor([&] { return !watcher.registered.isEmpty(); }, kReady))
        << program.readAllStandardError().constData();
    // Start-up wired the log-on entry, the day's times (the caption names the current
    // prayer) and the clock tick's tray tip (the next prayer's time in the locale's pattern);
    // then Dhuhr sounds.
    EXPECT_TRUE(QFile::exists(configDir() + QStringLiteral("/autostart/tallix-time.desktop")));
    expectTheAthanAtDhuhr(log);

    // Log-out: SIGTERM unloads the program without a question, and it ends.
    const QString itemService = watcher.registered.value(0).section(QLatin1Char('/'), 0, 0);
    const qint64 pid = childNamed(program.processId(), "tallix-time");
    ASSERT_GT(pid, 0);
    SignalProcess(pid, SIGTERM);
    ASSERT_TRUE(program.waitForFinished(kReady));
    log += program.readAllStandardError();
    log += program.readAllStandardOutput();
    EXPECT_EQ(program.exitCode(), 0) << log.constData();
    EXPECT_TRUE(QFile::exists(configDir() + QStringLiteral("/tallix-time/registry.conf")));
    // The tray icon went with it.
    EXPECT_TRUE(
        WaitFor([&] { return !connection->interface()->isServiceRegistered(itemService).value(); },
                kReady));
}

// In a locale whose time pattern carries more than the time (the zone's brackets in fa_IR, the
// unit words of ja_JP), the window writes a clean time and the athan comes at its second.
class RealProgramInLocale : public RealProgramAtDhuhr,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(RealProgramInLocale, SoundsTheAthanAtDhuhr) {
    QProcessEnvironment env = programEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_TIME"));
    env.insert(QStringLiteral("LANG"), QString::fromLatin1(GetParam()));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral(TALLIX_EXE)});
    ASSERT_TRUE(program.waitForStarted(kReady));
    ASSERT_TRUE(WaitFor([&] { return !watcher.registered.isEmpty(); }, kReady))
        << program.readAllStandardError().constData();
    QByteArray log;
    expectTheAthanAtDhuhr(log);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, RealProgramInLocale, ::testing::Values("fa_IR.UTF-8", "ja_JP.UTF-8"),
    [](const auto& info) {
        return QString::fromLatin1(info.param).section('.', 0, 0).toStdString();
    });

// What the sound device was given, read from the file ALSA wrote: the rate and the samples.
struct DeviceOutput {
    int rate = 0;
    QByteArray samples;
};
DeviceOutput readDeviceOutput(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    const auto le32 = [&](qsizetype at) {
        return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0u;
    };
    DeviceOutput out;
    for (qsizetype at = 12; at + 8 <= b.size(); at += 8 + qsizetype(le32(at + 4))) {
        if (b.mid(at, 4) == "fmt ")
            out.rate = int(le32(at + 12));
        if (b.mid(at, 4) == "data") {
            out.samples = b.mid(at + 8); // as far as it was written
            break;
        }
    }
    return out;
}

// A sound file chosen as the Dhuhr athan, made in the test's home.
struct AthanFile {
    const char* name;
    // Makes the file at path; false when it could not.
    bool (*make)(const QString& path, QByteArray* samples);
};

// Two seconds of 8 kHz, 16-bit mono, written as a recorder writing to a pipe does: the data
// chunk states 0x7FFFFFFF bytes.
bool makeStreamedWave(const QString& path, QByteArray* samples) {
    QByteArray pcm;
    for (int i = 0; i < 16000; ++i) {
        const auto v = quint16(qint16((i * 613) % 20000 - 10000));
        pcm.append(char(v & 0xFF)).append(char(v >> 8));
    }
    *samples = pcm;
    const auto le = [](quint32 v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
        return b;
    };
    const QByteArray fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
    const QByteArray image = "RIFF" + le(0x7FFFFFFF, 4) + "WAVEfmt " + le(16, 4) + fmt + "data" +
                             le(0x7FFFFFFF, 4) + pcm;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(image) == image.size();
}

void PrintTo(const AthanFile& file, std::ostream* os) {
    *os << file.name;
}

bool makeFifo(const QString& path, QByteArray*) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

class RealProgramWithAthanFile : public RealProgramAtDhuhr,
                                 public ::testing::WithParamInterface<AthanFile> {};

// A file that plays reaches the sound device as its own samples, at its own rate; one that
// cannot play is named in the log with the reason, and the beep sounds in its place.
TEST_P(RealProgramWithAthanFile, PlaysItOrSaysWhyTheBeepPlayed) {
    const QString athan = home.path() + QStringLiteral("/athan-") +
                          QString::fromLatin1(GetParam().name) + QStringLiteral(".wav");
    QByteArray samples;
    ASSERT_TRUE(GetParam().make(athan, &samples));
    // The file as the Dhuhr athan, and no start-up sound before it.
    ASSERT_TRUE(SeedFolders(home.path(), {{QStringLiteral("AudioType1"), "2"},
                                          {QStringLiteral("CustomSound1"), athan.toUtf8()},
                                          {QStringLiteral("AudioType6"), "0"}}));
    program.setProcessEnvironment(programEnvironment());
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral(TALLIX_EXE)});
    ASSERT_TRUE(program.waitForStarted(kReady));
    ASSERT_TRUE(WaitFor([&] { return !watcher.registered.isEmpty(); }, kReady))
        << program.readAllStandardError().constData();
    QByteArray log;
    expectTheAthanAtDhuhr(log);

    if (!samples.isEmpty()) {
        DeviceOutput out;
        EXPECT_TRUE(WaitFor(
            [&] {
                out = readDeviceOutput(soundFile());
                return out.samples.size() >= samples.size();
            },
            kReady))
            << out.samples.size() << " bytes at " << out.rate << " Hz\n"
            << log.constData();
        EXPECT_EQ(out.rate, 8000);
        EXPECT_TRUE(out.samples.left(samples.size()) == samples) << "the file's own samples";
    } else {
        const auto said = [&] {
            log += program.readAllStandardError();
            return log.contains("Dhuhr athan: the file \"" + athan.toUtf8() +
                                "\" cannot be played: it is a named pipe, not a regular "
                                "file; the beep played instead");
        };
        EXPECT_TRUE(WaitFor(said, kReady)) << log.constData();
        EXPECT_FALSE(log.contains("sound playing")) << log.constData();
        EXPECT_TRUE(WaitFor([&] { return readDeviceOutput(soundFile()).rate == 48000; }, kReady))
            << "the beep";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RealProgramWithAthanFile,
                         ::testing::Values(AthanFile{"streamed", &makeStreamedWave},
                                           AthanFile{"fifo", &makeFifo}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

#include "athan_e2e_test.moc"
