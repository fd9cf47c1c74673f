// The data server closes a connection that does not say a whole line in time, or stops in the
// middle of one, and keeps one that has spoken for as long as it waits: silent connections
// cannot keep its places from real clients.
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "platform/dde.h"
#include "platform/open_files.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

DWORD gInst = 0;

HDDEDATA answerAll(UINT uType, UINT, HCONV, HSZ, HSZ hsz2, HDDEDATA, DWORD, DWORD) {
    if (uType == XTYP_CONNECT || uType == XTYP_ADVSTART)
        return DDE_TRUE;
    if (uType == XTYP_REQUEST || uType == XTYP_ADVREQ)
        return DdeCreateDataHandle(gInst, QByteArray("alpha"), 8, 0, hsz2, CF_TEXT, 0);
    return 0;
}

// Whether the server has closed the connection (its answers read and thrown away).
bool closedByServer(int fd) {
    char buffer[256];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
    }
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

class DataServerQuietClients : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        serve();
    }
    // Registers the service; its cap of clients follows the open-files limit of the moment.
    void serve() {
        gInst = 0;
        ASSERT_EQ(DdeInitializeA(gInst, answerAll, 0, 0), DMLERR_NO_ERROR);
        const HSZ service = DdeCreateStringHandleA(gInst, QStringLiteral("Quiet"), CP_WINANSI);
        ASSERT_NE(DdeNameService(gInst, service, 0, DNS_REGISTER), 0u);
        path = platform::DdeSocketPath(QStringLiteral("Quiet"), false);
    }
    void TearDown() override {
        for (int fd : fds)
            ::close(fd);
        DdeUninitialize(gInst);
        platform::SetDataServerQuietClientTimeout(0);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    int connect() {
        const int fd = ConnectLocal(path);
        if (fd >= 0)
            fds.push_back(fd);
        return fd;
    }

    QString path;
    std::vector<int> fds;
    struct rlimit limit {};
};

TEST_F(DataServerQuietClients, ClosedWithoutAWholeLineKeptOnceSpoken) {
    platform::SetDataServerQuietClientTimeout(1000);
    // Connected first, so they have waited longer than every client closed below.
    const int idle = connect();
    const int advised = connect();
    ASSERT_GE(idle, 0);
    ASSERT_GE(advised, 0);
    ASSERT_EQ(AskLine(idle, "CONNECT Quiet\n"), "OK\n");
    ASSERT_EQ(AskLine(advised, "CONNECT Quiet\n"), "OK\n");
    ASSERT_EQ(AskLine(advised, "ADVSTART A\n"), "OK\n");

    const struct {
        const char* what;
        std::string sends;
    } quiet[] = {
        {"nothing", ""},
        {"half a first line", "CONNECT Quiet"},
        {"half a line after a whole one", "CONNECT Quiet\nREQUEST A"},
    };
    // Twice, the second lot connected once the first is gone: the clients that spoke have
    // waited two time-outs at least.
    for (int round = 0; round < 2; ++round) {
        std::vector<int> closing;
        for (const auto& c : quiet) {
            closing.push_back(connect());
            ASSERT_GE(closing.back(), 0) << c.what;
            ASSERT_EQ(::send(closing.back(), c.sends.data(), c.sends.size(), MSG_NOSIGNAL),
                      ssize_t(c.sends.size()));
        }
        for (std::size_t i = 0; i < closing.size(); ++i)
            EXPECT_TRUE(WaitFor([&] { return closedByServer(closing[i]); }, 60000))
                << "a client that sent " << quiet[i].what << " is still connected";
    }

    EXPECT_EQ(UntilClosed(idle, 0), "<open>");
    EXPECT_EQ(AskLine(idle, "REQUEST A\n"), "DATA 8\n") << "served after a long wait";
    ASSERT_TRUE(DdePostAdvise(gInst, 0, 0));
    std::string pushed;
    WaitFor(
        [&] {
            char buffer[256];
            const ssize_t n = ::recv(advised, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                pushed.append(buffer, size_t(n));
            return pushed.find('\n') != std::string::npos || n == 0;
        },
        60000);
    EXPECT_EQ(pushed.substr(0, pushed.find('\n') + 1), "ADVDATA 8 A\n");
}

// Every place taken by a connection that says nothing: a real client is turned away at first,
// and served once the silent ones have been closed.
TEST_F(DataServerQuietClients, SilentConnectionsFillingTheServerGiveWayToARealClient) {
    const struct rlimit low { 256, limit.rlim_max };
    ASSERT_GE(limit.rlim_max, 256u);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    DdeUninitialize(gInst);
    serve();
    platform::SetDataServerQuietClientTimeout(5000);
    const int cap = platform::DataServerClientCap(platform::OpenFileLimit());
    for (int i = 0; i < cap; ++i)
        ASSERT_GE(connect(), 0) << i;
    const int turnedAway = connect();
    ASSERT_GE(turnedAway, 0);
    EXPECT_EQ(UntilClosed(turnedAway, 30000), "NO\n") << "the silent connections fill it";

    EXPECT_TRUE(WaitFor(
        [&] {
            const int fd = ConnectLocal(path);
            const bool served = fd >= 0 && AskLine(fd, "CONNECT Quiet\n") == "OK\n" &&
                                AskLine(fd, "REQUEST A\n") == "DATA 8\n";
            if (fd >= 0)
                ::close(fd);
            return served;
        },
        60000));
}

} // namespace
