// The data server closes a connection that has not connected in time (whatever lines it said
// before), or that stops in the middle of a line, and keeps a connected one for as long as it
// waits: connections that never connect cannot keep its places from real clients.
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "platform/dde.h"
#include "platform/open_files.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

DWORD gInst = 0;

// Answers every item; refuses connections on the topic "closed".
HDDEDATA answerAll(UINT uType, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, DWORD, DWORD) {
    if (uType == XTYP_CONNECT) {
        char topic[16] = {};
        DdeQueryStringA(gInst, hsz1, topic, sizeof topic, CP_WINANSI);
        return std::string(topic) == "closed" ? 0 : DDE_TRUE;
    }
    if (uType == XTYP_ADVSTART)
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

TEST_F(DataServerQuietClients, ClosedUntilConnectedKeptOnceConnected) {
    platform::SetDataServerQuietClientTimeout(1000);
    // Connected first, so they have waited longer than every client closed below.
    const int idle = connect();
    const int advised = connect();
    ASSERT_GE(idle, 0);
    ASSERT_GE(advised, 0);
    ASSERT_EQ(AskLine(idle, "CONNECT Quiet\n"), "OK\n");
    ASSERT_EQ(AskLine(advised, "CONNECT Quiet\n"), "OK\n");
    ASSERT_EQ(AskLine(advised, "ADVSTART A\n"), "OK\n");

    // What each closed client sends; the lines before a CONNECT that is accepted answer NO.
    const struct {
        const char* what;
        std::string sends;
        bool goesOn; // says its lines again and again while it waits
    } quiet[] = {
        {"nothing", "", false},
        {"half a first line", "CONNECT Quiet", false},
        {"half a line after a whole one", "CONNECT Quiet\nREQUEST A", false},
        {"an empty line", "\n", false},
        {"CONNECT without a topic", "CONNECT\n", false},
        {"a refused CONNECT", "CONNECT closed\n", false},
        {"a REQUEST before CONNECT", "REQUEST A\n", false},
        {"an ADVSTART before CONNECT", "ADVSTART A\n", false},
        {"lines that do not connect, on and on", "\nREQUEST A\nCONNECT closed\n", true},
    };
    // Twice, the second lot connected once the first is gone: the connected clients have
    // waited two time-outs at least.
    for (int round = 0; round < 2; ++round) {
        std::vector<int> closing;
        for (const auto& c : quiet) {
            closing.push_back(connect());
            ASSERT_GE(closing.back(), 0) << c.what;
            ASSERT_EQ(::send(closing.back(), c.sends.data(), c.sends.size(), MSG_NOSIGNAL),
                      ssize_t(c.sends.size()));
        }
        std::vector<bool> closed(closing.size(), false);
        WaitFor(
            [&] {
                for (std::size_t i = 0; i < closing.size(); ++i) {
                    if (closed[i])
                        continue;
                    if (quiet[i].goesOn)
                        (void)::send(closing[i], quiet[i].sends.data(), quiet[i].sends.size(),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
                    closed[i] = closedByServer(closing[i]);
                }
                return std::find(closed.begin(), closed.end(), false) == closed.end();
            },
            60000);
        for (std::size_t i = 0; i < closing.size(); ++i)
            EXPECT_TRUE(closed[i])
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

// Every place taken by connections that never connect, silent ones or ones whose lines were
// answered NO: a real client is turned away at first, and served once they have been closed.
TEST_F(DataServerQuietClients, SquattersFillingTheServerGiveWayToARealClient) {
    const struct rlimit low { 256, limit.rlim_max };
    ASSERT_GE(limit.rlim_max, 256u);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    platform::SetDataServerQuietClientTimeout(5000);
    const int cap = platform::DataServerClientCap(platform::OpenFileLimit());
    const struct {
        const char* what;
        std::vector<std::string> lines; // one to each squatter in turn; none: silent
    } squatters[] = {
        {"silent", {}},
        {"NO-answered lines", {"\n", "CONNECT\n", "CONNECT closed\n", "REQUEST A\n"}},
    };
    for (const auto& kind : squatters) {
        DdeUninitialize(gInst); // a fresh server, its cap under the low limit
        serve();
        std::vector<int> taken;
        for (int i = 0; i < cap; ++i) {
            const int fd = connect();
            ASSERT_GE(fd, 0) << kind.what << ' ' << i;
            if (!kind.lines.empty()) {
                ASSERT_EQ(AskLine(fd, kind.lines[std::size_t(i) % kind.lines.size()]), "NO\n")
                    << kind.what << ' ' << i;
            }
            taken.push_back(fd);
        }
        const int turnedAway = connect();
        ASSERT_GE(turnedAway, 0);
        EXPECT_EQ(UntilClosed(turnedAway, 30000), "NO\n") << kind.what << " fill it";

        EXPECT_TRUE(WaitFor(
            [&] {
                const int fd = ConnectLocal(path);
                const bool served = fd >= 0 && AskLine(fd, "CONNECT Quiet\n") == "OK\n" &&
                                    AskLine(fd, "REQUEST A\n") == "DATA 8\n";
                if (fd >= 0)
                    ::close(fd);
                return served;
            },
            60000))
            << "the " << kind.what << " squatters keep every place";
        std::size_t closed = 0;
        WaitFor(
            [&] {
                while (closed < taken.size() && closedByServer(taken[closed]))
                    ++closed;
                return closed == taken.size();
            },
            30000);
        EXPECT_EQ(closed, taken.size()) << kind.what << " still connected";
        for (int fd : fds)
            ::close(fd);
        fds.clear();
    }
}

} // namespace
