// The main window's data server: the fourteen items as the window shows them, the server's
// start and stop, and the advise loops over the real sockets.
#include "core/datefmt.h"
#include "core/settings.h"
#include "dde_client.h"
#include "fakes/fake_dde.h"
#include "fakes/fake_registry.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"
#include "runtime/VBDate.h"
#include "shown_times.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kTimes[7] = {"",         "5:10:00",  "6:35:00", "12:15:00",
                               "15:40:00", "18:05:00", "19:30:00"};

// The nth spelling of an item name: the case of its letters from the bits of n, and none to two
// blanks on either side. Distinct for every n below 2 to the number of letters.
std::string Spelling(const std::string& name, int n) {
    std::string s(std::size_t(n % 3), ' ');
    int bit = 0;
    for (const char ch : name)
        s += std::isalpha(static_cast<unsigned char>(ch))
                 ? char((n >> bit++) & 1 ? std::toupper(ch) : std::tolower(ch))
                 : ch;
    return s + std::string(std::size_t(n % 3), ' ');
}

// Opens a client of the window's server and connects it on the topic.
void Connect(DdeClient& c) {
    ASSERT_TRUE(c.open(DdeClient::socketPath("TallixTime")));
    ASSERT_EQ(c.call("CONNECT TallixTime").kind, DdeClient::Message::Ok);
}

// Sends ADVSTART for the first count spellings of the name at once; the OKs answered (pushes
// that come between them skipped).
int StartSpellings(DdeClient& c, const std::string& name, int count) {
    using Msg = DdeClient::Message;
    std::string burst;
    for (int n = 0; n < count; ++n)
        burst += "ADVSTART " + Spelling(name, n) + "\n";
    burst.pop_back(); // send() ends the last line
    std::thread writer([&] { c.send(burst); });
    int ok = 0;
    Msg m;
    while (ok < count && (m = c.next(20000)).kind != Msg::TimedOut && m.kind != Msg::Closed)
        ok += m.kind == Msg::Ok ? 1 : 0;
    writer.join();
    return ok;
}

class DdeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        gActivateDDEServer = 1;
        gDDEAdviseRate = 0;
        gCityName = QStringLiteral("Makkah");
        gProvince = QString();
        gCountry = QStringLiteral("Saudi Arabia");
        gLatitude = 21.4233;
        gLongitude = 39.8233;
        gDisplayHijraa = 0;
        setClock(10, 8, 30);
        window = std::make_unique<frmTallix>();
        showTimes();
        window->lblQiblah->setText(QStringLiteral("61.2° from North"));
    }
    void TearDown() override {
        if (window && window->DdeInstance)
            window->UninitializeDDE();
        window.reset();
        runtime::SetClock(nullptr);
    }
    static void setClock(int h, int m, int s) {
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(h, m, s)));
    }
    void showTimes() {
        QStringList six;
        for (int slot = 1; slot <= 6; ++slot)
            six << QString::fromLatin1(kTimes[slot]);
        ShowTimes(*window, six);
    }
    // The window's server on the fake transport, started.
    void start() {
        ASSERT_TRUE(window->InitializeDDE());
        ASSERT_TRUE(window->ServiceRegistered);
    }
    FakeRegistry registry;
    std::unique_ptr<frmTallix> window;
};

TEST_F(DdeWindow, EveryItemInAnyCaseAndWithBlanks) {
    FakeDde dde;
    start();
    const Date today = NowDate();
    const QString date = FormatLongDateLocalized(vbCalGreg, today) + QStringLiteral(" \t ") +
                         FormatLongDateLocalized(vbCalHijri, today);
    const QString list = QStringLiteral(
        "NextPrayerTime\tNextPrayerName\tTimeRemaining\tTimeRemainingSeconds\tFajr\tShurooq\t"
        "Dhuhr\tAsr\tMaghrib\tIshaa\tQiblah\tCurrentDate\tLocation\tTopicItemList");
    const QString location =
        QStringLiteral("Location: Makkah, Saudi Arabia\tLatitude: 21.4233\tLongitude: 39.8233");
    // At 10:08:30 Dhuhr (12:15:00) is next: 2 h 7 min ahead, 7590 s.
    const QPair<QString, QString> items[] = {{"NextPrayerTime", "12:15:00"},
                                             {"NextPrayerName", "DHUHR"},
                                             {"TimeRemaining", "127"},
                                             {"TimeRemainingSeconds", "7590"},
                                             {"Fajr", kTimes[1]},
                                             {"Shurooq", kTimes[2]},
                                             {"Dhuhr", kTimes[3]},
                                             {"Asr", kTimes[4]},
                                             {"Maghrib", kTimes[5]},
                                             {"Ishaa", kTimes[6]},
                                             {"Qiblah", "61.2° from North"},
                                             {"CurrentDate", date},
                                             {"Location", location},
                                             {"TopicItemList", list}};
    for (const auto& [name, expected] : items) {
        for (const QString& asked : {name, name.toLower(), name.toUpper(),
                                     QStringLiteral("  ") + name.toLower() + QStringLiteral(" ")}) {
            for (UINT type : {XTYP_REQUEST, XTYP_ADVREQ}) {
                const FakeDde::Reply reply = dde.ask(type, asked);
                ASSERT_TRUE(reply.hasData) << asked.toStdString();
                EXPECT_EQ(reply.text(), expected) << asked.toStdString();
                // The text, its NUL and two zero bytes; tagged with the item asked for.
                EXPECT_EQ(reply.bytes, expected.toUtf8() + QByteArray(3, '\0'));
                EXPECT_EQ(reply.item, asked);
            }
            EXPECT_EQ(dde.transact(XTYP_ADVSTART, asked), DDE_TRUE);
        }
    }
    EXPECT_TRUE(date.contains(QStringLiteral("2024")) && date.contains(QStringLiteral("1445")));
}

TEST_F(DdeWindow, UnknownItemsGetNothing) {
    FakeDde dde;
    start();
    for (const char* name : {"", "Sunrise", "Fa jr", "FAJR2", "\tFajr", "TallixTimeAdvise"}) {
        EXPECT_FALSE(dde.ask(XTYP_REQUEST, QString::fromUtf8(name)).hasData) << name;
        EXPECT_EQ(dde.transact(XTYP_ADVSTART, QString::fromUtf8(name)), 0u) << name;
    }
    EXPECT_FALSE(window->AdviseActive);
    EXPECT_FALSE(window->tmrDDE.isActive());
    EXPECT_EQ(dde.transact(XTYP_CONNECT, QStringLiteral("TallixTime")), DDE_TRUE);
    EXPECT_EQ(dde.transact(XTYP_ADVSTOP, QStringLiteral("Fajr")), 0u);
}

TEST_F(DdeWindow, AnswersWithoutRunningTheEventLoop) {
    FakeDde dde;
    start();
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(dde.ask(XTYP_REQUEST, QStringLiteral("Fajr")).hasData);
    EXPECT_EQ(dde.transact(XTYP_ADVSTART, QStringLiteral("Fajr")), DDE_TRUE);
    EXPECT_FALSE(ran) << "a transaction ran other events inside it";
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST_F(DdeWindow, LocationWithAndWithoutProvince) {
    FakeDde dde;
    start();
    struct Case {
        const char* province;
        const char* locale;
        const char* expected;
    } cases[] = {
        {"", "en_US", "Location: Makkah, Saudi Arabia\tLatitude: 21.4233\tLongitude: 39.8233"},
        {"   ", "en_US", "Location: Makkah, Saudi Arabia\tLatitude: 21.4233\tLongitude: 39.8233"},
        {"Makkah Province", "en_US",
         "Location: Makkah, Makkah Province, Saudi Arabia\tLatitude: 21.4233\tLongitude: 39.8233"},
        {"", "de_DE", "Location: Makkah, Saudi Arabia\tLatitude: 21,4233\tLongitude: 39,8233"},
    };
    const QLocale saved;
    for (const Case& c : cases) {
        gProvince = QString::fromUtf8(c.province);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(dde.ask(XTYP_REQUEST, QStringLiteral("location")).text(),
                  QString::fromUtf8(c.expected))
            << '"' << c.province << "\" " << c.locale;
    }
    QLocale::setDefault(saved);
}

TEST_F(DdeWindow, TimeRemainingCountsToTheNextPrayer) {
    FakeDde dde;
    start();
    struct Case {
        int h, m, s;
        const char* fajr;
        const char* minutes;
        const char* seconds;
    } cases[] = {
        {10, 10, 0, "5:10:00", "125", "7500"},  // 2 h 5 min before Dhuhr
        {10, 10, 30, "5:10:00", "125", "7470"}, // minutes ignore the current seconds
        {20, 0, 0, "6:00:00", "600", "36000"},  // 10 h to tomorrow's Fajr
        {12, 14, 59, "5:10:00", "1", "1"},
        {12, 15, 0, "5:10:00", "205", "12300"}, // at Dhuhr's second Asr is next
    };
    for (const Case& c : cases) {
        setClock(c.h, c.m, c.s);
        ShowTimes(*window, {QString::fromLatin1(c.fajr), "6:35:00", "12:15:00", "15:40:00",
                            "18:05:00", "19:30:00"});
        const QString at = QStringLiteral("%1:%2:%3").arg(c.h).arg(c.m).arg(c.s);
        EXPECT_EQ(dde.ask(XTYP_REQUEST, QStringLiteral("TimeRemaining")).text(),
                  QString::fromLatin1(c.minutes))
            << at.toStdString();
        EXPECT_EQ(dde.ask(XTYP_REQUEST, QStringLiteral("TimeRemainingSeconds")).text(),
                  QString::fromLatin1(c.seconds))
            << at.toStdString();
    }
    // No time shown at all: no next prayer, no countdown, but the times still answer.
    ShowTimes(*window, {"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"});
    for (const char* name :
         {"NextPrayerTime", "NextPrayerName", "TimeRemaining", "TimeRemainingSeconds"})
        EXPECT_FALSE(dde.ask(XTYP_REQUEST, QString::fromLatin1(name)).hasData) << name;
    EXPECT_EQ(dde.ask(XTYP_REQUEST, QStringLiteral("Fajr")).text(), QStringLiteral("N/A"));
}

TEST_F(DdeWindow, StartsStopsAndPushesAtTheAdviseRate) {
    FakeDde dde;
    window->tmrDDE.setInterval(AdviseRateToMs(gDDEAdviseRate));
    start();
    EXPECT_EQ(dde.calls,
              QStringList({"initialize", "connect TallixTime|TallixTime", "register TallixTime"}));
    EXPECT_FALSE(window->tmrDDE.isActive()) << "no pushes before an advise loop";
    EXPECT_EQ(dde.transact(XTYP_ADVSTART, QStringLiteral("fajr")), DDE_TRUE);
    EXPECT_TRUE(window->tmrDDE.isActive());
    EXPECT_EQ(window->tmrDDE.interval(), 1000);
    dde.calls.clear();
    window->tmrDDE_Timer();
    EXPECT_EQ(dde.calls, QStringList({"postAdvise |"}));

    dde.calls.clear();
    window->UninitializeDDE();
    EXPECT_EQ(dde.calls, QStringList({"unregister TallixTime", "uninitialize"}));
    EXPECT_FALSE(window->tmrDDE.isActive()) << "stopping the server stops its pushes";
    window->tmrDDE_Timer();
    EXPECT_EQ(dde.calls.size(), 2);

    // Starting a running server starts it afresh, leaving no second instance behind.
    start();
    dde.calls.clear();
    start();
    EXPECT_EQ(dde.calls, QStringList({"unregister TallixTime", "uninitialize", "initialize",
                                      "connect TallixTime|TallixTime", "register TallixTime"}));
    window->UninitializeDDE();

    // Another server already answers: this one stays unregistered, silently.
    dde.otherServerAnswers = true;
    dde.calls.clear();
    EXPECT_TRUE(window->InitializeDDE()) << "the service is served, by the other one";
    EXPECT_FALSE(window->ServiceRegistered);
    EXPECT_FALSE(dde.calls.contains(QStringLiteral("register TallixTime")));
    window->UninitializeDDE();
    EXPECT_FALSE(dde.calls.contains(QStringLiteral("unregister TallixTime")));

    // The DDE calls cannot start: nothing more is asked of them.
    dde.initializeResult = DMLERR_SYS_ERROR;
    dde.calls.clear();
    EXPECT_FALSE(window->InitializeDDE());
    EXPECT_EQ(dde.calls, QStringList({"initialize"}));
    EXPECT_EQ(window->DdeInstance, 0u);
}

// Over the real sockets: two clients in advise loops, one stops, the other goes on; each push
// carries the item as its client wrote it.
TEST_F(DdeWindow, TwoClientsAdviseAndOneStops) {
    window->tmrDDE.setInterval(60 * 60 * 1000); // the test pushes by itself
    start();
    using Msg = DdeClient::Message;
    DdeClient a, b;
    WhileServing([&] {
        Connect(a);
        Connect(b);
        EXPECT_EQ(a.call("ADVSTART  fajr").kind, Msg::Ok);
        EXPECT_EQ(b.call("ADVSTART TimeRemainingSeconds").kind, Msg::Ok);
        EXPECT_EQ(b.call("ADVSTART Sunrise").kind, Msg::No);
        const Msg data = a.call("REQUEST Location");
        EXPECT_EQ(data.kind, Msg::Data);
        EXPECT_EQ(data.text(), "Location: Makkah, Saudi Arabia\tLatitude: 21.4233\t"
                               "Longitude: 39.8233");
    });
    window->tmrDDE_Timer();
    WhileServing([&] {
        const Msg pa = a.next();
        EXPECT_EQ(pa.kind, Msg::AdvData);
        EXPECT_EQ(pa.item, " fajr");
        EXPECT_EQ(pa.data, std::string("5:10:00\0\0\0", 10));
        const Msg pb = b.next();
        EXPECT_EQ(pb.item, "TimeRemainingSeconds");
        EXPECT_EQ(pb.text(), "7590");
        EXPECT_EQ(a.call("ADVSTOP  fajr").kind, Msg::Ok);
    });
    setClock(10, 8, 31);
    window->tmrDDE_Timer();
    WhileServing([&] {
        EXPECT_EQ(b.next().text(), "7589");
        EXPECT_EQ(a.next(100).kind, Msg::TimedOut);
    });
}

// One client starts advise loops on one item in thousands of spellings: that is one link, each
// push in the spelling it wrote last, and a stop in any spelling ends it. Links are per client.
TEST_F(DdeWindow, ManySpellingsOfAnItemAreOneLink) {
    window->tmrDDE.setInterval(60 * 60 * 1000); // the test pushes by itself
    start();
    using Msg = DdeClient::Message;
    constexpr int kSpellings = 3000;
    const std::string name = "TimeRemainingSeconds";
    const std::string latest = Spelling(name, kSpellings - 1);
    DdeClient a, b;
    WhileServing([&] {
        Connect(a);
        Connect(b);
        EXPECT_EQ(StartSpellings(a, name, kSpellings), kSpellings);
        EXPECT_EQ(a.call("ADVSTART fajr").kind, Msg::Ok);
        EXPECT_EQ(b.call("ADVSTART TIMEREMAININGSECONDS").kind, Msg::Ok);
    });
    // The pushes of one round each client holds, in the order the items sort.
    const auto round = [](DdeClient& c) {
        std::vector<std::string> items;
        Msg m;
        while ((m = c.next(500)).kind == Msg::AdvData)
            items.push_back(m.item);
        std::sort(items.begin(), items.end());
        return items;
    };
    window->tmrDDE_Timer();
    WhileServing([&] {
        EXPECT_EQ(round(a), (std::vector<std::string>{latest, "fajr"}));
        EXPECT_EQ(round(b), (std::vector<std::string>{"TIMEREMAININGSECONDS"}));
        EXPECT_EQ(a.call("ADVSTOP timeremainingSECONDS ").kind, Msg::Ok);
    });
    window->tmrDDE_Timer();
    WhileServing([&] {
        EXPECT_EQ(round(a), (std::vector<std::string>{"fajr"})) << "the stop ended the link";
        EXPECT_EQ(round(b), (std::vector<std::string>{"TIMEREMAININGSECONDS"}))
            << "the other client's link goes on";
    });
}

// A client holds 30,000 spellings of an item while the pushes run at their fastest rate: it
// gets one push a round, and new clients are answered meanwhile.
TEST_F(DdeWindow, NewClientsAreAnsweredWhileAClientHoldsThousandsOfAdviseStarts) {
    window->tmrDDE.setInterval(AdviseRateToMs(0));
    start();
    using Msg = DdeClient::Message;
    constexpr int kSpellings = 30000;
    DdeClient holder;
    std::atomic<bool> stop{false};
    std::atomic<int> pushes{0};
    WhileServing([&] {
        Connect(holder);
        ASSERT_EQ(StartSpellings(holder, "TimeRemainingSeconds", kSpellings), kSpellings);
    });
    // The holder reads its pushes on a thread of its own while new clients come, for a few
    // rounds.
    QElapsedTimer clock;
    clock.start();
    std::thread reader([&] {
        Msg m;
        while (!stop)
            if ((m = holder.next(100)).kind == Msg::AdvData)
                ++pushes;
            else if (m.kind == Msg::Closed)
                return;
    });
    WhileServing([&] {
        for (int i = 0; i < 6; ++i) {
            DdeClient c;
            ASSERT_TRUE(c.open(DdeClient::socketPath("TallixTime")));
            EXPECT_EQ(c.call("CONNECT TallixTime", 20000).kind, Msg::Ok) << "client " << i;
            EXPECT_EQ(c.call("REQUEST Fajr", 20000).text(), "5:10:00") << "client " << i;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    });
    const qint64 seconds = clock.elapsed() / 1000;
    stop = true;
    reader.join();
    EXPECT_GE(pushes, 1) << "the holder's link was pushed";
    EXPECT_LE(pushes, seconds + 2) << "one push a round, in " << seconds << " s";
}

TEST_F(DdeWindow, ASecondServerFindsTheFirst) {
    DWORD first = 0;
    ASSERT_EQ(DdeInitializeA(
                  first,
                  [](UINT t, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD, DWORD) -> HDDEDATA {
                      return t == XTYP_CONNECT ? DDE_TRUE : 0;
                  },
                  0, 0),
              DMLERR_NO_ERROR);
    const HSZ service = DdeCreateStringHandleA(first, QStringLiteral("TallixTime"), CP_WINANSI);
    ASSERT_NE(DdeNameService(first, service, 0, DNS_REGISTER), 0u);
    EXPECT_TRUE(window->InitializeDDE());
    EXPECT_NE(window->DdeInstance, 0u);
    EXPECT_FALSE(window->ServiceRegistered);
    window->UninitializeDDE();
    DdeUninitialize(first);
    // With the first gone, the window's server takes the name.
    EXPECT_TRUE(window->InitializeDDE());
    EXPECT_TRUE(window->ServiceRegistered);
}

} // namespace
