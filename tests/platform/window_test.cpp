// Windows across processes: numbers, the search for another copy, the files each copy leaves
// and the hand-over socket.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "platform/paths.h"
#include "platform/window.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// "publish-window TITLE": publishes one window, says "ready" and waits for a line on its input.
const TestHelperRegistration kPublish(QStringLiteral("publish-window"), [](const QStringList& a) {
    QWidget w;
    w.setWindowTitle(a.value(0));
    w.show();
    if (platform::PublishWindow(&w) == 0)
        return 2;
    std::cout << "ready" << std::endl;
    // Requests are served while waiting for the line that ends it.
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    return 0;
});

// Points this process's runtime folder at a private folder of the test's own.
class RuntimeFolder {
public:
    RuntimeFolder() : saved_(qgetenv("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
    }
    ~RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", saved_); }
    QString path() const { return dir_.path(); }
    QString windows() const { return dir_.path() + QStringLiteral("/tallix-time/windows"); }

    std::unique_ptr<QProcess> startPublisher(const QString& title) const {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--helper"), QStringLiteral("publish-window"), title});
        if (!p->waitForStarted(5000) ||
            !WaitFor([&] { return p->readAllStandardOutput().contains("ready"); }, 10000))
            return nullptr;
        return p;
    }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
};

QStringList titlesFound() {
    static QStringList found;
    found.clear();
    EnumWindows(
        [](HWND h, LONG) -> BOOL {
            char buffer[256];
            GetWindowTextA(h, buffer, sizeof buffer);
            found << QString::fromUtf8(buffer);
            return 1;
        },
        0);
    return found;
}

// The numbers stay unique for the life of the process: the thousandth form does not take the
// main window's number.
TEST(WindowNumbers, StayUniqueHoweverManyWindowsAreMade) {
    auto main = std::make_unique<QWidget>();
    main->setWindowTitle(QStringLiteral("Tallix Time - Makkah"));
    const HWND first = platform::PublishWindow(main.get());
    std::set<HWND> seen{first};
    std::vector<std::unique_ptr<QWidget>> others;
    for (int i = 0; i < 1100; ++i) {
        others.push_back(std::make_unique<QWidget>());
        const HWND h = platform::PublishWindow(others.back().get());
        ASSERT_NE(h, 0);
        ASSERT_TRUE(seen.insert(h).second) << "window " << i << " got a number in use";
        if (i % 2 == 0)
            others.back().reset(); // numbers of closed windows are not handed out again
    }
    EXPECT_EQ(platform::WidgetOfWindow(first), main.get());
    char title[64];
    GetWindowTextA(first, title, sizeof title);
    EXPECT_STREQ(title, "Tallix Time - Makkah");
}

// A list left by a killed copy whose process number now belongs to another program is passed
// over: the search finds the copy that answers.
TEST(WindowSearch, AListWhoseSocketDoesNotAnswerIsPassedOver) {
    RuntimeFolder folder;
    auto live = folder.startPublisher(QStringLiteral("Tallix Time - Live"));
    ASSERT_TRUE(live);
    QProcess other; // another program of the user's, with the number the killed copy had
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted(5000));
    const qint64 pid = other.processId();
    {
        QFile list(folder.windows() + QStringLiteral("/%1.list").arg(pid));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("1024\tnormal\tTallix Time - Stale\n");
    }
    // Its socket is still there, with no one behind it.
    const QByteArray sock =
        QFile::encodeName(folder.windows() + QStringLiteral("/%1.sock").arg(pid));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, sock.constData(), sock.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);

    const QStringList titles = titlesFound();
    EXPECT_TRUE(titles.contains(QStringLiteral("Tallix Time - Live")))
        << qPrintable(titles.join(u','));
    EXPECT_FALSE(titles.contains(QStringLiteral("Tallix Time - Stale")));
    EXPECT_FALSE(QFile::exists(QFile::decodeName(sock))) << "what was left over is removed";
    other.kill();
    other.waitForFinished();
    live->write("quit\n");
    EXPECT_TRUE(live->waitForFinished(5000));
}

// A normal end removes the copy's list and socket; the next start removes what a killed
// copy left.
TEST(WindowFiles, ANormalEndRemovesThemAndAStartSweepsThoseOfTheGone) {
    RuntimeFolder folder;
    auto killed = folder.startPublisher(QStringLiteral("Killed"));
    ASSERT_TRUE(killed);
    const qint64 killedPid = killed->processId();
    const QString killedList = folder.windows() + QStringLiteral("/%1.list").arg(killedPid);
    const QString killedSock = folder.windows() + QStringLiteral("/%1.sock").arg(killedPid);
    ASSERT_TRUE(QFile::exists(killedList));
    ASSERT_TRUE(QFile::exists(killedSock));
    ::kill(static_cast<pid_t>(killedPid), SIGKILL);
    killed->waitForFinished(5000);
    ASSERT_TRUE(QFile::exists(killedList));

    auto ending = folder.startPublisher(QStringLiteral("Ending"));
    ASSERT_TRUE(ending);
    const qint64 endingPid = ending->processId();
    EXPECT_FALSE(QFile::exists(killedList));
    EXPECT_FALSE(QFile::exists(killedSock));
    ASSERT_TRUE(QFile::exists(folder.windows() + QStringLiteral("/%1.list").arg(endingPid)));
    ending->write("quit\n");
    ASSERT_TRUE(ending->waitForFinished(5000));
    EXPECT_EQ(ending->exitCode(), 0);
    EXPECT_EQ(QDir(folder.windows())
                  .entryList({QStringLiteral("*.list"), QStringLiteral("*.sock")},
                             QDir::Files | QDir::System),
              QStringList());
}

// What is found in the windows folder is trusted only as far as it is a file of ours there: a
// list of a gone copy that names a path elsewhere does not get it removed, a link at the
// window-number counter is not written through, and a list too large for one (or a pipe) is
// not read.
TEST(WindowFiles, LeftoversAreTrustedOnlyInsideTheirFolder) {
    RuntimeFolder folder;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir().mkpath(folder.windows()));
    QProcess gone; // a process number no copy runs under any more
    gone.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    ASSERT_TRUE(gone.waitForStarted(5000));
    const qint64 gonePid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(5000));
    const QString precious = elsewhere.filePath(QStringLiteral("%1.sock").arg(gonePid));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(precious, "keep me\n");
    write(folder.windows() + QStringLiteral("/%1.list").arg(gonePid),
          "@socket\t" + QFile::encodeName(precious) + "\n4096\tnormal\tGone\n");
    const QString counted = elsewhere.filePath(QStringLiteral("counted"));
    write(counted, "not a counter\n");
    ASSERT_TRUE(QFile::link(counted, folder.windows() + QStringLiteral("/handles")));
    // A live process of the user's with an enormous list, and one whose list is a pipe.
    QProcess huge, piped;
    for (QProcess* p : {&huge, &piped}) {
        p->start(QStringLiteral("sleep"), {QStringLiteral("30")});
        ASSERT_TRUE(p->waitForStarted(5000));
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.windows() +
                                         QStringLiteral("/%1.list").arg(piped.processId()))
                           .constData(),
                       0600),
              0);

    auto publisher = folder.startPublisher(QStringLiteral("Publisher"));
    ASSERT_TRUE(publisher);
    EXPECT_FALSE(QFile::exists(folder.windows() + QStringLiteral("/%1.list").arg(gonePid)));
    QFile kept(precious);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me\n"));
    QFile counter(counted);
    ASSERT_TRUE(counter.open(QIODevice::ReadOnly));
    EXPECT_EQ(counter.readAll(), QByteArray("not a counter\n"));
    EXPECT_FALSE(QFileInfo(folder.windows() + QStringLiteral("/handles")).isSymLink());
    // The enormous list names a socket that answers: only its size keeps it out.
    QByteArray big = "@socket\t" +
                     QFile::encodeName(folder.windows() +
                                       QStringLiteral("/%1.sock").arg(publisher->processId())) +
                     "\n4097\tnormal\tEnormous\n";
    big += QByteArray(8 * 1024 * 1024, '\n');
    write(folder.windows() + QStringLiteral("/%1.list").arg(huge.processId()), big);
    // The search reads neither the pipe nor the enormous list (in a child: a pipe would hang).
    const int code = RunInChild(
        [] {
            const QStringList titles = titlesFound();
            return titles.contains(QStringLiteral("Publisher")) &&
                           !titles.contains(QStringLiteral("Enormous"))
                       ? 0
                       : 1;
        },
        10000);
    EXPECT_EQ(code, 0);
    publisher->write("quit\n");
    EXPECT_TRUE(publisher->waitForFinished(5000));
    for (QProcess* p : {&huge, &piped}) {
        p->kill();
        p->waitForFinished();
    }
}

QtMessageHandler gPrevious = nullptr;
QStringList gMessages;

// The socket keeps quiet unless asked to, and a client sending an endless line is dropped.
TEST(HandOverSocket, LogsNothingByDefaultAndDropsAnEndlessLine) {
    // This process's own folder: its socket was made there with its first window.
    const QString windows = platform::RuntimeDir() + QStringLiteral("/windows");
    QWidget w;
    w.setWindowTitle(QStringLiteral("Listening"));
    const HWND h = platform::PublishWindow(&w);
    // Our own socket, as another start finds it.
    QString socketPath;
    QFile list(windows + QStringLiteral("/%1.list").arg(::getpid()));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    for (const QByteArray& line : list.readAll().split('\n'))
        if (line.startsWith("@socket\t"))
            socketPath = QString::fromUtf8(line.mid(8));
    if (socketPath.isEmpty())
        socketPath = windows + QStringLiteral("/%1.sock").arg(::getpid());

    gMessages.clear();
    gPrevious = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { gMessages << m; });
    QLocalSocket client;
    client.connectToServer(socketPath);
    ASSERT_TRUE(client.waitForConnected(2000)) << qPrintable(socketPath);
    for (int i = 0; i < 20; ++i) {
        client.write(QStringLiteral("RESTORE %1\n").arg(h).toUtf8());
        ASSERT_TRUE(WaitFor([&] { return client.canReadLine(); }, 3000));
        EXPECT_EQ(client.readLine(), "OK\n");
    }
    qInstallMessageHandler(gPrevious);
    EXPECT_EQ(gMessages, QStringList()) << "one line per request";

    client.write(QByteArray(64 * 1024, 'x'));
    EXPECT_TRUE(WaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 5000))
        << "a 64 KiB line is no request";
}

} // namespace
