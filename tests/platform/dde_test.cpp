// The DDE calls over their sockets: a real server in this process, real clients on a thread.
#include "dde_client.h"
#include "fakes/fake_dde.h"
#include "platform/dde.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Msg = DdeClient::Message;

// The server under test answers items "A" ("alpha") and "BIG" (100 KiB), tagging the data with
// the item asked for, and refuses the topic "closed".
QStringList gSeen;
DWORD gInst = 0;

HDDEDATA TestCallback(UINT uType, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA, DWORD, DWORD) {
    char buf[256] = {};
    DdeQueryStringA(gInst, hsz2, buf, sizeof buf, CP_WINANSI);
    const QString item = QString::fromUtf8(buf);
    gSeen << QStringLiteral("%1 %2").arg(uType, 0, 16).arg(item);
    switch (uType) {
    case XTYP_CONNECT: {
        DdeQueryStringA(gInst, hsz1, buf, sizeof buf, CP_WINANSI);
        return QByteArray(buf) == "closed" ? 0 : DDE_TRUE;
    }
    case XTYP_ADVSTART:
        return item == QLatin1String("A") || item == QLatin1String("BIG") ? DDE_TRUE : 0;
    case XTYP_REQUEST:
    case XTYP_ADVREQ:
        if (item == QLatin1String("STOP")) { // the server stopped from inside a transaction
            DdeUninitialize(gInst);
            return 0;
        }
        if (item == QLatin1String("A"))
            return DdeCreateDataHandle(gInst, QByteArray("alpha"), 8, 0, hsz2, CF_TEXT, 0);
        if (item == QLatin1String("BIG"))
            return DdeCreateDataHandle(gInst, QByteArray(100 * 1024, 'x'), 100 * 1024, 0, hsz2,
                                       CF_TEXT, 0);
        return 0;
    default:
        return 0;
    }
}

void Spin(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class DdeSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        gSeen.clear();
        gInst = 0;
        ASSERT_EQ(DdeInitializeA(gInst, TestCallback, CBF_FAIL_SELFCONNECTIONS, 0),
                  DMLERR_NO_ERROR);
        hszService = DdeCreateStringHandleA(gInst, QStringLiteral("TestService"), CP_WINANSI);
        ASSERT_NE(DdeNameService(gInst, hszService, 0, DNS_REGISTER), 0u);
        path = DdeClient::socketPath("TestService");
    }
    void TearDown() override {
        if (gInst)
            DdeUninitialize(gInst);
    }
    // A client that has connected on the topic.
    static void Open(DdeClient& c, const std::string& path) {
        ASSERT_TRUE(c.open(path));
        ASSERT_EQ(c.call("CONNECT TallixTime").kind, Msg::Ok);
    }
    HSZ hszService = 0;
    std::string path;
};

TEST_F(DdeSocketTest, AnswersTheLinesOfTheProtocol) {
    ASSERT_EQ(path, (qgetenv("XDG_RUNTIME_DIR") + "/dde/TestService").toStdString());
    WhileServing([&] {
        DdeClient c;
        EXPECT_TRUE(c.open(path));
        EXPECT_EQ(c.call("REQUEST A").kind, Msg::No) << "no request before CONNECT OK";
        EXPECT_EQ(c.call("CONNECT closed").kind, Msg::No);
        EXPECT_EQ(c.call("CONNECT TallixTime").kind, Msg::Ok);
        const Msg data = c.call("REQUEST A");
        EXPECT_EQ(data.kind, Msg::Data);
        EXPECT_EQ(data.data, std::string("alpha\0\0\0", 8)) << "bytes past the source are zero";
        EXPECT_EQ(c.call("REQUEST nothing").kind, Msg::NoData);
        EXPECT_EQ(c.call("ADVSTART nothing").kind, Msg::No);
        EXPECT_EQ(c.call("ADVSTOP nothing").kind, Msg::Ok);
        EXPECT_TRUE(c.send("BYE"));
        EXPECT_EQ(c.next(2000).kind, Msg::Closed);
    });
    // The argument is everything after the first space, and the callback saw each line.
    EXPECT_TRUE(gSeen.contains(QStringLiteral("20b0 nothing")));
    EXPECT_TRUE(gSeen.contains(QStringLiteral("80c2 "))) << "BYE reached the callback";
}

TEST_F(DdeSocketTest, PushesReachEachLinkUntilItStops) {
    DdeClient a, b;
    WhileServing([&] {
        Open(a, path);
        Open(b, path);
        EXPECT_EQ(a.call("ADVSTART A").kind, Msg::Ok);
        EXPECT_EQ(b.call("ADVSTART A").kind, Msg::Ok);
        EXPECT_EQ(b.call("ADVSTART A").kind, Msg::Ok) << "a second start keeps one link";
    });
    ASSERT_TRUE(DdePostAdvise(gInst, 0, 0));
    WhileServing([&] {
        for (DdeClient* c : {&a, &b}) {
            const Msg push = c->next();
            EXPECT_EQ(push.kind, Msg::AdvData);
            EXPECT_EQ(push.item, "A");
            EXPECT_EQ(push.text(), "alpha");
        }
        EXPECT_EQ(a.call("ADVSTOP A").kind, Msg::Ok);
    });
    ASSERT_TRUE(DdePostAdvise(gInst, 0, 0));
    WhileServing([&] {
        EXPECT_EQ(b.next().kind, Msg::AdvData);
        EXPECT_EQ(b.next(100).kind, Msg::TimedOut) << "one push per link";
        EXPECT_EQ(a.next(100).kind, Msg::TimedOut) << "a stopped link gets nothing";
        a.close(); // going away ends only a's conversation
    });
    Spin(50);
    ASSERT_TRUE(DdePostAdvise(gInst, 0, 0));
    WhileServing([&] { EXPECT_EQ(b.next().kind, Msg::AdvData); });
}

TEST_F(DdeSocketTest, MalformedLinesGetNoAndTheConversationGoesOn) {
    const char* lines[] = {"",
                           "HELLO",
                           "REQUEST",
                           "request A",
                           "CONNECT TallixTime",
                           "BYE now",
                           "REQUEST \xff\xfe",
                           "ADVSTART"};
    WhileServing([&] {
        DdeClient c;
        Open(c, path);
        for (const char* line : lines)
            EXPECT_EQ(c.call(line).kind, Msg::No) << '"' << line << '"';
        EXPECT_TRUE(c.send(std::string("REQUEST A\0B", 11)));
        EXPECT_EQ(c.next().kind, Msg::No) << "a NUL inside a line";
        EXPECT_EQ(c.call("REQUEST A").kind, Msg::Data);
    });
}

TEST_F(DdeSocketTest, AnOversizedLineDisconnectsOnlyItsClient) {
    WhileServing([&] {
        DdeClient good, bad;
        Open(good, path);
        Open(bad, path);
        EXPECT_EQ(bad.call("REQUEST " + std::string(4088, 'A')).kind, Msg::NoData)
            << "4096 bytes is still a line";
        EXPECT_TRUE(bad.send("REQUEST " + std::string(4088, 'A') + "B"));
        EXPECT_EQ(bad.next().kind, Msg::Closed);
        DdeClient endless;
        Open(endless, path);
        EXPECT_TRUE(endless.send(std::string(8000, 'x'))); // no LF at all
        EXPECT_EQ(endless.next().kind, Msg::Closed);
        EXPECT_EQ(good.call("REQUEST A").kind, Msg::Data);
    });
}

TEST_F(DdeSocketTest, AFloodOfLinesIsAnsweredInFullWhileOthersAreServed) {
    WhileServing([&] {
        DdeClient flood, other;
        Open(flood, path);
        Open(other, path);
        std::string burst;
        for (int i = 0; i < 8000; ++i) // more than the server reads ahead
            burst += "REQUEST A\n";
        std::thread writer([&] { flood.send(burst.substr(0, burst.size() - 1)); });
        EXPECT_EQ(other.call("REQUEST A").kind, Msg::Data);
        int answers = 0;
        while (answers < 8000 && flood.next(2000).kind == Msg::Data)
            ++answers;
        writer.join();
        EXPECT_EQ(answers, 8000);
    });
}

TEST_F(DdeSocketTest, AClientThatStopsReadingIsDropped) {
    DdeClient lazy, busy;
    WhileServing([&] {
        Open(lazy, path);
        Open(busy, path);
        EXPECT_EQ(lazy.call("ADVSTART BIG").kind, Msg::Ok);
        EXPECT_EQ(busy.call("ADVSTART A").kind, Msg::Ok);
    });
    // 2 MiB for lazy, which reads nothing: the pushes never wait for it.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(DdePostAdvise(gInst, 0, 0));
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(gSeen.contains(QStringLiteral("80c2 "))) << "lazy was dropped";
    WhileServing([&] {
        int pushes = 0;
        while (busy.next(200).kind == Msg::AdvData)
            ++pushes;
        EXPECT_EQ(pushes, 20);
        // What lazy finds is what was sent before it was dropped, then the end.
        Msg m;
        while ((m = lazy.next(2000)).kind == Msg::AdvData) {
        }
        EXPECT_EQ(m.kind, Msg::Closed);
    });
}

TEST_F(DdeSocketTest, StoppingRemovesTheSocketAndEndsTheClients) {
    DdeClient c;
    WhileServing([&] { Open(c, path); });
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(path)));
    EXPECT_TRUE(DdeUninitialize(gInst));
    EXPECT_FALSE(DdeUninitialize(gInst));
    gInst = 0;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
    WhileServing([&] { EXPECT_EQ(c.next().kind, Msg::Closed); });
}

TEST_F(DdeSocketTest, AServerStoppedInsideATransactionEndsCleanly) {
    WhileServing([&] {
        DdeClient c;
        Open(c, path);
        EXPECT_TRUE(c.send("REQUEST STOP\nREQUEST A"));
        EXPECT_EQ(c.next().kind, Msg::Closed);
    });
    gInst = 0;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
    Spin(20); // the listener and the socket are deleted from the event loop
}

TEST_F(DdeSocketTest, ASecondServerFindsTheFirstAndDoesNotRegister) {
    DWORD second = 0;
    ASSERT_EQ(DdeInitializeA(second, TestCallback, CBF_FAIL_SELFCONNECTIONS, 0), DMLERR_NO_ERROR);
    const HSZ service = DdeCreateStringHandleA(second, QStringLiteral("TestService"), CP_WINANSI);
    const HSZ topic = DdeCreateStringHandleA(second, QStringLiteral("TallixTime"), CP_WINANSI);
    EXPECT_NE(DdeConnect(second, service, topic, nullptr), 0u);
    EXPECT_EQ(DdeNameService(second, service, 0, DNS_REGISTER), 0u);
    // The first never answers itself.
    const HSZ ownTopic = DdeCreateStringHandleA(gInst, QStringLiteral("TallixTime"), CP_WINANSI);
    EXPECT_EQ(DdeConnect(gInst, hszService, ownTopic, nullptr), 0u);
    DdeUninitialize(second);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path))) << "the first still serves";
}

// A server in another process is reached through its socket; one that died left its socket
// file behind, which the next server takes over.
TEST(DdeSocket, ConnectsThroughTheSocketAndTakesOverADeadOne) {
    const QString dir = platform::DdeSocketDir(true);
    ASSERT_FALSE(dir.isEmpty());
    const QByteArray path = QFile::encodeName(dir + "/Elsewhere");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    std::thread other([fd] {
        const int conn = ::accept(fd, nullptr, nullptr);
        char buf[64] = {};
        const auto n = ::recv(conn, buf, sizeof buf - 1, 0);
        if (n > 0 && std::string(buf) == "CONNECT Topic\n")
            (void)!::write(conn, "OK\n", 3);
        ::close(conn);
    });
    DWORD inst = 0;
    ASSERT_EQ(DdeInitializeA(inst, TestCallback, 0, 0), DMLERR_NO_ERROR);
    const HSZ service = DdeCreateStringHandleA(inst, QStringLiteral("Elsewhere"), CP_WINANSI);
    const HSZ topic = DdeCreateStringHandleA(inst, QStringLiteral("Topic"), CP_WINANSI);
    EXPECT_NE(DdeConnect(inst, service, topic, nullptr), 0u);
    other.join();
    ::close(fd); // the other server dies; its socket file stays
    ASSERT_TRUE(QFileInfo::exists(QFile::decodeName(path)));
    EXPECT_EQ(DdeConnect(inst, service, topic, nullptr), 0u);
    EXPECT_NE(DdeNameService(inst, service, 0, DNS_REGISTER), 0u);
    DdeUninitialize(inst);
}

TEST(DdeSocket, UsesOnlyAPrivateFolderOfOurs) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString dir = runtime + "/dde";
    QDir(dir).removeRecursively();
    ASSERT_EQ(platform::DdeSocketDir(true), dir);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ::chmod(QFile::encodeName(dir).constData(), 0755);
    EXPECT_EQ(platform::DdeSocketDir(true), QString()) << "others may enter it";
    EXPECT_EQ(DdeClient::socketPath("X"), "");
    DWORD inst = 0;
    ASSERT_EQ(DdeInitializeA(inst, TestCallback, 0, 0), DMLERR_NO_ERROR);
    const HSZ service = DdeCreateStringHandleA(inst, QStringLiteral("X"), CP_WINANSI);
    EXPECT_EQ(DdeNameService(inst, service, 0, DNS_REGISTER), 0u);

    QDir(dir).removeRecursively();
    QDir(runtime).mkdir("elsewhere");
    ::chmod(QFile::encodeName(runtime + "/elsewhere").constData(), 0700);
    ASSERT_TRUE(QFile::link(runtime + "/elsewhere", dir));
    EXPECT_EQ(platform::DdeSocketDir(true), QString()) << "a link is not our folder";
    EXPECT_EQ(DdeNameService(inst, service, 0, DNS_REGISTER), 0u);
    DdeUninitialize(inst);
    QFile::remove(dir);
}

TEST(DdeHandles, StringsAndDataHoldWhatWasGivenAndNoMore) {
    DWORD inst = 0;
    ASSERT_EQ(DdeInitializeA(inst, TestCallback, 0, 0), DMLERR_NO_ERROR);
    const HSZ lower = DdeCreateStringHandleA(inst, QStringLiteral(" fajr "), CP_WINANSI);
    const HSZ upper = DdeCreateStringHandleA(inst, QStringLiteral("FAJR"), CP_WINANSI);
    EXPECT_NE(lower, upper) << "each spelling is its own handle";
    EXPECT_EQ(DdeQueryStringA(inst, lower, nullptr, 0, CP_WINANSI), 6u);
    char buf[4] = {'?', '?', '?', '?'};
    EXPECT_EQ(DdeQueryStringA(inst, lower, buf, 4, CP_WINANSI), 3u);
    EXPECT_EQ(std::string(buf, 4), std::string(" fa\0", 4));

    const QByteArray text("Asr");
    const HDDEDATA h = DdeCreateDataHandle(inst, text, 6, 0, upper, CF_TEXT, 0);
    QByteArray bytes;
    QString item;
    ASSERT_TRUE(platform::DataOfHandle(h, &bytes, &item));
    EXPECT_EQ(bytes, QByteArray("Asr\0\0\0", 6));
    EXPECT_EQ(item, QStringLiteral("FAJR"));
    EXPECT_TRUE(platform::FreeDataHandle(h));

    EXPECT_TRUE(DdeFreeStringHandle(inst, lower));
    EXPECT_EQ(DdeQueryStringA(inst, lower, nullptr, 0, CP_WINANSI), 0u);
    EXPECT_EQ(DdeInitializeA(inst, nullptr, 0, 0), DMLERR_INVALID_PARAMETER);
    DdeUninitialize(inst);
    EXPECT_EQ(DdeCreateStringHandleA(inst, QStringLiteral("x"), CP_WINANSI), 0u);
}

} // namespace
