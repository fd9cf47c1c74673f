// The local servers take only as many clients as leave descriptors for the rest of the program:
// the ones past the cap hear a refusal and are closed, and new ones are served as soon as
// others leave.
#include "fakes/child_process.h"
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "platform/dde.h"
#include "platform/local_listener.h"
#include "platform/open_files.h"
#include "platform/paths.h"

#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// A listener full of clients turns the next ones away with its refusal and a clean end of the
// connection, whatever they sent first, and takes a client again once one has left.
TEST(ClientCap, ClientsPastTheCapAreTurnedAwayUntilOneLeaves) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cap.sock"));
    platform::LocalListener listener;
    listener.setMaxClients(3, "NO\n");
    ASSERT_TRUE(listener.listen(path)) << listener.errorString().toStdString();
    std::vector<QPointer<QLocalSocket>> taken;
    QObject::connect(&listener, &platform::LocalListener::newConnection,
                     [&](QLocalSocket* s) { taken.emplace_back(s); });

    std::vector<int> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(ConnectLocal(path));
        ASSERT_GE(held.back(), 0);
    }
    ASSERT_TRUE(WaitFor([&] { return taken.size() == 3; }, 10000));
    EXPECT_EQ(listener.clientCount(), 3);
    for (const bool speaksFirst : {false, true}) {
        const int extra = ConnectLocal(path);
        ASSERT_GE(extra, 0);
        if (speaksFirst) {
            ASSERT_EQ(::send(extra, "CONNECT x\n", 10, MSG_NOSIGNAL), 10);
        }
        EXPECT_EQ(UntilClosed(extra, 10000), "NO\n") << "speaks first: " << speaksFirst;
        ::close(extra);
    }
    EXPECT_EQ(taken.size(), 3u);

    // A client leaves: its place is free once the server has seen it go.
    ::close(held.front());
    held.erase(held.begin());
    ASSERT_TRUE(WaitFor([&] { return listener.clientCount() == 2; }, 10000));
    const int next = ConnectLocal(path);
    ASSERT_GE(next, 0);
    EXPECT_TRUE(WaitFor([&] { return taken.size() == 4; }, 10000));
    EXPECT_EQ(UntilClosed(next, 300), "<open>");
    ::close(next);
    for (int fd : held)
        ::close(fd);
}

HDDEDATA answerAll(UINT uType, UINT, HCONV, HSZ, HSZ hsz2, HDDEDATA, DWORD, DWORD);
DWORD gInst = 0;
HDDEDATA answerAll(UINT uType, UINT, HCONV, HSZ, HSZ hsz2, HDDEDATA, DWORD, DWORD) {
    if (uType == XTYP_CONNECT)
        return DDE_TRUE;
    if (uType == XTYP_REQUEST)
        return DdeCreateDataHandle(gInst, QByteArray("alpha"), 8, 0, hsz2, CF_TEXT, 0);
    return 0;
}

// The data server under a limit of 256 open files: it takes as many clients as its cap, the
// next one gets the refusal of a connection, and once some leave new clients are served,
// requests included.
TEST(ClientCap, TheDataServerTurnsClientsAwayUnderTheOpenFileLimitAndServesAgain) {
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
    ASSERT_GE(before.rlim_max, 256u);
    const struct rlimit low { 256, before.rlim_max };
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const int cap = platform::DataServerClientCap(platform::OpenFileLimit());
    ASSERT_GE(256 - cap, platform::ReservedDescriptors(256));
    ASSERT_EQ(DdeInitializeA(gInst, answerAll, 0, 0), DMLERR_NO_ERROR);
    const HSZ service = DdeCreateStringHandleA(gInst, QStringLiteral("Cap"), CP_WINANSI);
    ASSERT_NE(DdeNameService(gInst, service, 0, DNS_REGISTER), 0u);
    const QString path = platform::DdeSocketPath(QStringLiteral("Cap"), false);

    std::vector<int> held;
    for (int i = 0; i < cap; ++i) {
        const int fd = ConnectLocal(path);
        ASSERT_GE(fd, 0) << i;
        ASSERT_EQ(AskLine(fd, "CONNECT Cap\n"), "OK\n") << "client " << i << " of " << cap;
        held.push_back(fd);
    }
    const int extra = ConnectLocal(path);
    ASSERT_GE(extra, 0);
    EXPECT_EQ(AskLine(extra, "CONNECT Cap\n"), "NO\n");
    EXPECT_EQ(UntilClosed(extra, 10000), "");
    ::close(extra);

    for (int i = 0; i < 10; ++i) {
        ::close(held.back());
        held.pop_back();
    }
    // Served again as soon as the server has seen them go.
    EXPECT_TRUE(WaitFor(
        [&] {
            const int fd = ConnectLocal(path);
            const bool served = fd >= 0 && AskLine(fd, "CONNECT Cap\n") == "OK\n" &&
                                AskLine(fd, "REQUEST A\n") == "DATA 8\n";
            if (fd >= 0)
                ::close(fd);
            return served;
        },
        10000));
    for (int fd : held)
        ::close(fd);
    DdeUninitialize(gInst);
    ::setrlimit(RLIMIT_NOFILE, &before);
}

// The start raises the soft limit to the hard one; a cap leaves the reserve whatever the limit.
TEST(ClientCap, TheSoftLimitIsRaisedAndEveryCapLeavesItsReserve) {
    const int code = RunInChild(
        [] {
            const struct rlimit low { 256, 1024 };
            if (::setrlimit(RLIMIT_NOFILE, &low) != 0)
                return 10;
            struct rlimit now {};
            return platform::RaiseOpenFileLimit() == 1024 &&
                           ::getrlimit(RLIMIT_NOFILE, &now) == 0 && now.rlim_cur == 1024
                       ? 0
                       : 11;
        },
        10000);
    EXPECT_EQ(code, 0);
    // A huge hard limit: the soft one goes only as far as the program can use; one set higher
    // by the user stays.
    EXPECT_EQ(platform::RaisedSoftLimit(1024, 524288), 65536u);
    EXPECT_EQ(platform::RaisedSoftLimit(100000, 524288), 100000u);
    EXPECT_EQ(platform::RaisedSoftLimit(256, 4096), 4096u);
    for (const long limit : {64L, 128L, 256L, 500L, 1024L, 4096L, 65536L, 524288L}) {
        const int cap = platform::DataServerClientCap(limit);
        EXPECT_GE(cap, 1) << limit;
        EXPECT_LE(cap, 1024) << limit;
        if (limit >= 256) {
            EXPECT_GE(limit - cap - platform::kHandoverClientCap - 2 * platform::kTurnedAwayAtOnce,
                      platform::ReservedDescriptors(limit))
                << limit;
        }
        EXPECT_GE(platform::ReservedDescriptors(limit), std::min(limit, 160L)) << limit;
    }
}

} // namespace
