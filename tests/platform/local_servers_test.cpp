// The two local servers (the data server and the window hand-over) under clients that use up
// the process's descriptors or never read, and the hand-over's limits on a client.
#include "fakes/child_process.h"
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "platform/dde.h"
#include "platform/local_listener.h"
#include "platform/paths.h"
#include "platform/window.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

HDDEDATA answerConnects(UINT uType, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD, DWORD) {
    return uType == XTYP_CONNECT ? DDE_TRUE : 0;
}

// "servers-few-descriptors": a data server ("FdTest") and a published window, then a limit of
// a few descriptors more than are open; says "ready HWND" and serves until a line arrives.
const TestHelperRegistration
    kFewDescriptors(QStringLiteral("servers-few-descriptors"), [](const QStringList&) {
        platform::SetAcceptRetryInterval(50);
        QWidget w;
        w.setWindowTitle(QStringLiteral("Holder"));
        const HWND h = platform::PublishWindow(&w);
        DWORD inst = 0;
        if (h == 0 || DdeInitializeA(inst, answerConnects, 0, 0) != DMLERR_NO_ERROR)
            return 2;
        const HSZ service = DdeCreateStringHandleA(inst, QStringLiteral("FdTest"), CP_WINANSI);
        if (!DdeNameService(inst, service, 0, DNS_REGISTER))
            return 3;
        const auto open = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size();
        const struct rlimit limit { rlim_t(open + 16), rlim_t(open + 16) };
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 4;
        std::cout << "ready " << h << std::endl;
        QSocketNotifier input(0, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        return 0;
    });

// A plain client socket, connected (or still connecting); -1 when none could be made.
// Sends the line and waits up to a second for the answer's first line.
std::string ask(const QString& path, const std::string& line) {
    const int fd = ConnectLocal(path);
    if (fd < 0)
        return {};
    std::string answer;
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size())) {
        pollfd p{fd, POLLIN, 0};
        char buffer[64];
        while (answer.find('\n') == std::string::npos && ::poll(&p, 1, 1000) > 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            answer.append(buffer, size_t(n));
        }
    }
    ::close(fd);
    return answer;
}

bool isSocket(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Clients that use up every descriptor the servers' process has: each server keeps its socket,
// waits, and answers again once the clients have gone.
TEST(LocalServers, OutliveRunningOutOfDescriptors) {
    QTemporaryDir run;
    QFile::setPermissions(run.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess servers;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    servers.setProcessEnvironment(env);
    servers.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--helper"), QStringLiteral("servers-few-descriptors")});
    QByteArray said;
    ASSERT_TRUE(WaitFor(
        [&] {
            said += servers.readAllStandardOutput();
            return said.contains('\n');
        },
        15000))
        << servers.readAllStandardError().constData();
    ASSERT_TRUE(said.startsWith("ready "));
    const std::string hwnd = said.mid(6).trimmed().toStdString();
    const QString data = run.path() + QStringLiteral("/dde/FdTest");
    const QString handover =
        run.path() + QStringLiteral("/tallix-time/windows/%1.sock").arg(servers.processId());
    ASSERT_EQ(ask(data, "CONNECT FdTest\n"), "OK\n");
    ASSERT_EQ(ask(handover, "RESTORE " + hwnd + "\n"), "OK\n");

    std::vector<int> held;
    for (int i = 0; i < 100; ++i)
        for (const QString& path : {data, handover})
            if (const int fd = ConnectLocal(path); fd >= 0)
                held.push_back(fd);
    // Both servers have met the limit meanwhile.
    Pump(1500);
    EXPECT_TRUE(isSocket(data));
    EXPECT_TRUE(isSocket(handover));
    for (int fd : held)
        ::close(fd);

    EXPECT_TRUE(WaitFor([&] { return ask(data, "CONNECT FdTest\n") == "OK\n"; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return ask(handover, "RESTORE " + hwnd + "\n") == "OK\n"; }, 10000));
    servers.write("quit\n");
    EXPECT_TRUE(servers.waitForFinished(5000));
}

// Our own hand-over socket, as another start finds it.
QString ownHandoverSocket(HWND* h, QWidget* w) {
    *h = platform::PublishWindow(w);
    const QString windows = platform::RuntimeDir() + QStringLiteral("/windows");
    QFile list(windows + QStringLiteral("/%1.list").arg(::getpid()));
    if (list.open(QIODevice::ReadOnly))
        for (const QByteArray& line : list.readAll().split('\n'))
            if (line.startsWith("@socket\t"))
                return QString::fromUtf8(line.mid(8));
    return windows + QStringLiteral("/%1.sock").arg(::getpid());
}

// Whether the server has cut the connection: the client's next write or read fails.
bool cutOff(int fd) {
    char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT | MSG_PEEK);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

// A client that sends request after request and never reads the answers is dropped once a
// little of them is waiting; one that says nothing is dropped after the time-out.
TEST(HandOverSocket, AClientThatNeverReadsOrSaysNothingIsDropped) {
    QWidget w;
    HWND h = 0;
    const QString path = ownHandoverSocket(&h, &w);
    const int greedy = ConnectLocal(path);
    ASSERT_GE(greedy, 0);
    const std::string request = "MINIMIZE 1\n"; // no such window: "NO" each time
    qint64 sent = 0;
    bool dropped = false;
    QElapsedTimer took;
    took.start();
    while (!dropped && sent < 64 * 1024 * 1024 && took.elapsed() < 60000) {
        const ssize_t n = ::send(greedy, request.data(), request.size(), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        else
            dropped = true;
    }
    ::close(greedy);
    EXPECT_TRUE(dropped) << sent << " bytes of requests were taken";

    platform::SetHandoverClientTimeout(200);
    const int quiet = ConnectLocal(path);
    ASSERT_GE(quiet, 0);
    EXPECT_TRUE(WaitFor([&] { return cutOff(quiet); }, 10000));
    ::close(quiet);
    platform::SetHandoverClientTimeout(0);
    // A client that asks gets its answer as before.
    const int polite = ConnectLocal(path);
    ASSERT_GE(polite, 0);
    const std::string restore = "RESTORE " + std::to_string(h) + "\n";
    ASSERT_EQ(::send(polite, restore.data(), restore.size(), MSG_NOSIGNAL),
              ssize_t(restore.size()));
    std::string answer;
    EXPECT_TRUE(WaitFor(
        [&] {
            char buffer[16];
            const ssize_t n = ::recv(polite, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                answer.append(buffer, size_t(n));
            return answer.find('\n') != std::string::npos;
        },
        5000));
    EXPECT_EQ(answer, "OK\n");
    ::close(polite);
}

} // namespace
