// The real program on X11 under a low limit of open files, its data server held by as many
// clients as it takes and more: the extra clients are turned away, and meanwhile the window,
// the tray, a settings save, a dialog and the athan go on; once some clients leave, new ones
// are served. Everything runs on a desktop of the test's own (Xvfb, a private session bus,
// openbox and trayer), each process in a session of its own that ends with the test.
#include "fakes/child_process.h"
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "seeded_folders.h"
#include "signal_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// The tools the desktop needs, and the Debian package of each.
const struct {
    const char* tool;
    const char* package;
} kTools[] = {{"Xvfb", "xvfb"},        {"openbox", "openbox"},   {"trayer", "trayer"},
              {"xdotool", "xdotool"},  {"xprop", "x11-utils"},   {"xwininfo", "x11-utils"},
              {"dbus-daemon", "dbus"}, {"prlimit", "util-linux"}};

// A client of the data server: a socket and what it has read so far.
struct Client {
    int fd = -1;
    std::string read;
};

// Sends the line and waits for a whole answer line; "" when none came (or the server closed).
std::string ask(Client& c, const std::string& line) {
    if (::send(c.fd, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
        return {};
    bool closed = false;
    WaitFor(
        [&] {
            char buffer[512];
            const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                c.read.append(buffer, size_t(n));
            closed = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
            return closed || c.read.find('\n') != std::string::npos;
        },
        20000);
    const auto lf = c.read.find('\n');
    if (lf == std::string::npos)
        return {};
    const std::string answer = c.read.substr(0, lf + 1);
    c.read.erase(0, lf + 1);
    return answer;
}

// Whether the server has closed the connection (within ms).
bool closedByServer(Client& c, int ms) {
    return WaitFor(
        [&] {
            char buffer[512];
            const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                c.read.append(buffer, size_t(n));
            return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        },
        ms);
}

class ManyClients : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        for (const auto& t : kTools)
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(t.tool)).isEmpty())
                << t.tool << " is missing: install the Debian package " << t.package;
        ASSERT_TRUE(dir.isValid());
        const QString root = dir.path();
        QDir(root).mkpath(QStringLiteral("home"));
        const QString displayFile = root + QStringLiteral("/display");
        xvfb = start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "
                                     "-noreset 3>\"$0\""),
                      displayFile},
                     QProcessEnvironment::systemEnvironment());
        QByteArray number;
        ASSERT_TRUE(WaitFor(
            [&] {
                QFile f(displayFile);
                if (f.open(QIODevice::ReadOnly))
                    number = f.readAll().trimmed();
                return !number.isEmpty() || xvfb->state() == QProcess::NotRunning;
            },
            20000));
        ASSERT_FALSE(number.isEmpty()) << "Xvfb did not start";

        env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "SESSION_MANAGER",
                                 "XDG_SESSION_TYPE", "DBUS_SYSTEM_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(number));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        // What the program plays lands in a file.
        QFile asoundrc(root + QStringLiteral("/home/.asoundrc"));
        ASSERT_TRUE(asoundrc.open(QIODevice::WriteOnly));
        asoundrc.write(QStringLiteral("pcm.!default { type file slave.pcm \"null\" file \"%1\" "
                                      "format \"wav\" }\n")
                           .arg(soundFile())
                           .toUtf8());
        asoundrc.close();
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("default"));
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        const QString bus = root + QStringLiteral("/bus");
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
        start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--address=unix:path=") + bus},
              env);
        start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, env);
        ASSERT_TRUE(WaitFor(
            [&] {
                return x({QStringLiteral("xprop"), QStringLiteral("-root"),
                          QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QStringLiteral("window id"));
            },
            20000))
            << "openbox did not start";
        start(QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
               QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
               QStringLiteral("--height"), QStringLiteral("24"), QStringLiteral("--transparent"),
               QStringLiteral("false")},
              env);
        ASSERT_TRUE(WaitFor(
            [&] { return !search(QStringLiteral("trayer"), "--classname", false).isEmpty(); },
            20000))
            << "trayer did not start";
    }

    void TearDown() override {
        for (Client& c : clients)
            if (c.fd >= 0)
                ::close(c.fd);
        // The program first, then the desktop under it: each whole session.
        for (auto it = procs.rbegin(); it != procs.rend(); ++it) {
            QProcess& p = **it;
            if (p.state() == QProcess::NotRunning)
                continue;
            const qint64 leader = p.processId();
            SignalGroup(leader, SIGTERM);
            if (!p.waitForFinished(5000)) {
                SignalGroup(leader, SIGKILL);
                p.waitForFinished(3000);
            }
        }
    }

    // Starts a process in a session of its own, its output in a log beside the others.
    QProcess* start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& environment) {
        procs.push_back(std::make_unique<QProcess>());
        QProcess* p = procs.back().get();
        p->setProcessEnvironment(environment);
        StartInOwnSession(*p);
        const QString log = dir.filePath(QFileInfo(program).fileName() + QStringLiteral(".log"));
        p->setStandardOutputFile(log, QIODevice::Append);
        p->setStandardErrorFile(log, QIODevice::Append);
        p->start(program, args);
        EXPECT_TRUE(p->waitForStarted(10000)) << program.toStdString();
        return p;
    }

    QString x(const QStringList& command) const {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    QList<qulonglong> search(const QString& what, const char* how = "--name",
                             bool visibleOnly = true) const {
        QList<qulonglong> ids;
        QStringList command{QStringLiteral("xdotool"), QStringLiteral("search")};
        if (visibleOnly)
            command << QStringLiteral("--onlyvisible");
        const QString out = x(command << QString::fromLatin1(how) << what);
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
            ids.append(line.trimmed().toULongLong());
        return ids;
    }
    qulonglong mainWindow() const {
        const QList<qulonglong> ids = search(QStringLiteral("^Tallix Time - "));
        return ids.isEmpty() ? 0 : ids.first();
    }
    bool viewable(qulonglong w) const {
        return x({QStringLiteral("xwininfo"), QStringLiteral("-id"), QString::number(w)})
            .contains(QStringLiteral("IsViewable"));
    }
    bool onTop(qulonglong w) const {
        return x({QStringLiteral("xprop"), QStringLiteral("-id"), QString::number(w),
                  QStringLiteral("_NET_WM_STATE")})
            .contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
    }
    void activate(qulonglong w) const {
        x({QStringLiteral("xdotool"), QStringLiteral("windowactivate"), QStringLiteral("--sync"),
           QString::number(w)});
    }
    void key(const QString& keys) const {
        x({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("--delay"),
           QStringLiteral("100"), keys});
    }
    void clickTray() const {
        const QList<qulonglong> trays = search(QStringLiteral("trayer"), "--class");
        ASSERT_FALSE(trays.isEmpty());
        const QString info =
            x({QStringLiteral("xwininfo"), QStringLiteral("-id"), QString::number(trays.first())});
        const auto field = [&](const char* name) {
            const QRegularExpression re(QString::fromLatin1(name) +
                                        QStringLiteral(":\\s*(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        x({QStringLiteral("xdotool"), QStringLiteral("mousemove"),
           QString::number(field("Absolute upper-left X") + 12),
           QString::number(field("Absolute upper-left Y") + field("Height") / 2),
           QStringLiteral("click"), QStringLiteral("1")});
    }
    QByteArray storedValue(const char* name) const {
        QFile f(dir.filePath(QStringLiteral("config/tallix-time/registry.conf")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith(QByteArray("\"") + name + "\"="))
                return line.mid(line.indexOf('=') + 1);
        return {};
    }
    QString soundFile() const { return dir.filePath(QStringLiteral("sound.wav")); }
    QByteArray programLog() const {
        QFile f(dir.filePath(QStringLiteral("prlimit.log")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> procs;
    QProcess* xvfb = nullptr;
    std::vector<Client> clients;
};

TEST_P(ManyClients, ExtraClientsAreTurnedAwayAndTheProgramGoesOn) {
    const int limit = GetParam();
    // This process holds them all: its own limit must leave room.
    struct rlimit own {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &own), 0);
    own.rlim_cur = own.rlim_max;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &own), 0);
    ASSERT_GT(own.rlim_cur, rlim_t(limit + 200)) << "the test needs more open files";

    ASSERT_TRUE(SeedFolders(dir.path(), {{QStringLiteral("ActivateDDEServer"), "1"},
                                         {QStringLiteral("AlwaysOnTop"), "1"}}));
    // Makkah's Dhuhr that day is at 12:32:00: the clock starts well before it, leaving time to
    // hold the clients and try the rest first (a minute).
    QProcessEnvironment programEnv = env;
    programEnv.insert(QStringLiteral("TALLIX_CLOCK_START"), QStringLiteral("2024-03-10T12:31:00"));
    programEnv.insert(QStringLiteral("QT_LOGGING_RULES"),
                      QStringLiteral("tallix.alerts.info=true"));
    QProcess* program = start(QStringLiteral("prlimit"),
                              {QStringLiteral("--nofile=%1:%1").arg(limit), QStringLiteral("--"),
                               QStringLiteral(TALLIX_EXE)},
                              programEnv);
    QList<qulonglong> windows;
    ASSERT_TRUE(WaitFor(
        [&] {
            windows = search(QStringLiteral("^Tallix Time - "));
            return !windows.isEmpty() || program->state() == QProcess::NotRunning;
        },
        30000));
    ASSERT_FALSE(windows.isEmpty()) << programLog().constData();
    qulonglong main = windows.first();

    // Clients until the server turns them away, and a hundred more (as many as 1,100 for a
    // limit of 1,024): each one past the cap hears NO and is closed.
    const QString server = dir.filePath(QStringLiteral("run/dde/TallixTime"));
    int held = 0, refused = 0;
    for (int i = 0; i < limit + 100 && program->state() == QProcess::Running; ++i) {
        Client c{ConnectLocal(server), {}};
        ASSERT_GE(c.fd, 0) << "client " << i << ": " << std::strerror(errno);
        const std::string answer = ask(c, "CONNECT TallixTime\n");
        if (answer.empty()) {
            ::close(c.fd);
            FAIL() << "client " << i << " got no answer";
        }
        if (answer == "OK\n") {
            ++held;
            clients.push_back(c);
            continue;
        }
        EXPECT_EQ(answer, "NO\n") << "client " << i;
        EXPECT_TRUE(closedByServer(c, 10000)) << "client " << i << " is not closed";
        ::close(c.fd);
        ++refused;
    }
    ASSERT_EQ(program->state(), QProcess::Running) << programLog().constData();
    EXPECT_GT(held, 0);
    EXPECT_LT(held, limit);
    EXPECT_EQ(held + refused, limit + 100);
    RecordProperty("ClientsHeld", held);

    // The window answers the window manager and a menu: Always On Top toggled and saved.
    ASSERT_TRUE(onTop(main));
    ASSERT_EQ(storedValue("AlwaysOnTop"), "\"1\"");
    activate(main);
    key(QStringLiteral("alt+o"));
    key(QStringLiteral("a"));
    EXPECT_TRUE(WaitFor([&] { return !onTop(main); }, 10000)) << "the window does not answer";
    EXPECT_TRUE(WaitFor([&] { return storedValue("AlwaysOnTop") == "\"0\""; }, 10000))
        << "the setting was not saved: " << storedValue("AlwaysOnTop").constData();

    // A dialog opens and closes. (A window's flags changed make Qt a new X window.)
    ASSERT_TRUE(WaitFor([&] { return (main = mainWindow()) != 0; }, 10000));
    activate(main);
    key(QStringLiteral("ctrl+p"));
    QList<qulonglong> preferences;
    EXPECT_TRUE(WaitFor(
        [&] {
            preferences = search(QStringLiteral("Preferences$"));
            return !preferences.isEmpty();
        },
        20000))
        << "no Preferences dialog";
    if (!preferences.isEmpty()) {
        activate(preferences.first());
        key(QStringLiteral("Escape"));
        EXPECT_TRUE(WaitFor([&] { return !viewable(preferences.first()); }, 10000));
    }

    // To the tray and back by a click on its icon.
    ASSERT_TRUE(WaitFor([&] { return (main = mainWindow()) != 0; }, 10000));
    // (a key press the loaded display lost is pressed again)
    bool hidden = false;
    for (int attempt = 0; attempt < 3 && !hidden; ++attempt) {
        activate(main);
        key(QStringLiteral("alt+F4"));
        hidden = WaitFor([&] { return !viewable(main); }, 5000);
    }
    EXPECT_TRUE(hidden) << "not hidden to the tray";
    clickTray();
    EXPECT_TRUE(WaitFor([&] { return mainWindow() != 0; }, 10000)) << "the tray does not answer";

    // Dhuhr's athan sounds while the clients are still held: its samples reach the device.
    QFile::remove(soundFile());
    EXPECT_TRUE(WaitFor([&] { return programLog().contains("event 3 at 12:32:00"); }, 150000))
        << programLog().constData();
    EXPECT_TRUE(WaitFor([&] { return QFileInfo(soundFile()).size() > 4096; }, 20000))
        << "no athan was played";

    // Some clients leave: a new one is served, its request answered.
    for (int i = 0; i < 10; ++i) {
        ::close(clients.back().fd);
        clients.pop_back();
    }
    EXPECT_TRUE(WaitFor(
        [&] {
            Client c{ConnectLocal(server), {}};
            const bool served = c.fd >= 0 && ask(c, "CONNECT TallixTime\n") == "OK\n" &&
                                ask(c, "REQUEST TopicItemList\n").rfind("DATA ", 0) == 0;
            if (c.fd >= 0)
                ::close(c.fd);
            return served;
        },
        20000))
        << "no client is served after some left";
    EXPECT_EQ(program->state(), QProcess::Running) << programLog().constData();
}

INSTANTIATE_TEST_SUITE_P(OpenFileLimit, ManyClients, ::testing::Values(256, 1024),
                         [](const auto& info) { return "Limit" + std::to_string(info.param); });

} // namespace
