// Window procedure chains, window timers, the system broadcasts and the session-end signals.
#include "fakes/wait_for.h"
#include "platform/broadcasts.h"
#include "platform/signals.h"
#include "platform/wndproc.h"

#include <QApplication>
#include <QDateTime>
#include <QFont>
#include <QPalette>
#include <QVector>
#include <csignal>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>

namespace {

struct Seen {
    char who;
    HWND hWnd;
    UINT msg;
    LONG wParam;
};
QVector<Seen> g_seen;
WNDPROC g_prevA = nullptr;
WNDPROC g_prevB = nullptr;

// A takes message 100 and passes the rest on; B takes 200.
LONG procA(HWND hWnd, UINT msg, LONG wParam, LONG lParam) {
    g_seen.append({'A', hWnd, msg, wParam});
    if (msg == 100)
        return 1;
    return CallWindowProcA(g_prevA, hWnd, msg, wParam, lParam);
}
LONG procB(HWND hWnd, UINT msg, LONG wParam, LONG lParam) {
    g_seen.append({'B', hWnd, msg, wParam});
    if (msg == 200)
        return 2;
    return CallWindowProcA(g_prevB, hWnd, msg, wParam, lParam);
}

TEST(WindowProcedures, ChainsPassOnWhatTheyDoNotHandleAndUnwindInReverse) {
    const HWND w = 7001;
    g_seen.clear();
    g_prevA = SetWindowLongA(w, GWL_WNDPROC, &procA);
    EXPECT_EQ(g_prevA, &DefWindowProcA);
    g_prevB = SetWindowLongA(w, GWL_WNDPROC, &procB);
    EXPECT_EQ(g_prevB, &procA);

    EXPECT_EQ(SendMessageA(w, 100, 0, 0), 1); // B passes it to A
    EXPECT_EQ(SendMessageA(w, 200, 0, 0), 2); // B keeps it
    EXPECT_EQ(SendMessageA(w, 300, 0, 0), 0); // down to the default
    const QString order = [] {
        QString s;
        for (const Seen& x : g_seen)
            s += QLatin1Char(x.who);
        return s;
    }();
    EXPECT_EQ(order, QStringLiteral("BABBA"));

    // Unhooking B puts A back on top; another window is not touched.
    EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, g_prevB), &procB);
    g_seen.clear();
    EXPECT_EQ(SendMessageA(w, 200, 0, 0), 0);
    ASSERT_EQ(g_seen.size(), 1);
    EXPECT_EQ(g_seen[0].who, 'A');
    g_seen.clear();
    EXPECT_EQ(SendMessageA(7002, 100, 0, 0), 0);
    EXPECT_TRUE(g_seen.isEmpty());
    // Nothing is hooked with another index, no procedure or no window.
    EXPECT_EQ(SetWindowLongA(w, -16, &procB), nullptr);
    EXPECT_EQ(SetWindowLongA(w, GWL_WNDPROC, nullptr), nullptr);
    EXPECT_EQ(SetWindowLongA(0, GWL_WNDPROC, &procB), nullptr);
    platform::ForgetWindowProcedures(w);
}

int g_ticks = 0;
LONG countTicks(HWND, UINT msg, UINT id, DWORD) {
    if (msg == WM_TIMER && id == 998)
        ++g_ticks;
    return 0;
}

TEST(WindowTimers, TickUntilKilledAndAnswerTheirId) {
    g_ticks = 0;
    EXPECT_EQ(SetTimer(7003, 998, 0, &countTicks), 0u);
    EXPECT_EQ(SetTimer(7003, 998, 20, nullptr), 0u);
    EXPECT_EQ(SetTimer(7003, 998, 20, &countTicks), 998u);
    Pump(150);
    EXPECT_GE(g_ticks, 2);
    EXPECT_EQ(KillTimer(7003, 998), TRUE_);
    const int seen = g_ticks;
    Pump(80);
    EXPECT_EQ(g_ticks, seen);
    EXPECT_EQ(KillTimer(7003, 998), FALSE_);
}

QVector<Seen> g_broadcasts;
LONG recordBroadcast(HWND hWnd, UINT msg, LONG wParam, LONG) {
    g_broadcasts.append({'M', hWnd, msg, wParam});
    return 0;
}

TEST(SystemBroadcasts, EachSourceSendsItsMessageToTheWindow) {
    const HWND w = 7004;
    SetWindowLongA(w, GWL_WNDPROC, &recordBroadcast);
    platform::StartSystemBroadcasts(w);
    EXPECT_EQ(platform::SystemBroadcastWindow(), w);
    g_broadcasts.clear();

    platform::BroadcastTimeChange();
    platform::BroadcastPrepareForSleep(true);
    platform::BroadcastPrepareForSleep(false);
    QFont font = QApplication::font();
    font.setPointSize(font.pointSize() + 3);
    QApplication::setFont(font);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(palette);
    Pump(50);

    QVector<QPair<UINT, LONG>> got;
    for (const Seen& s : g_broadcasts) {
        EXPECT_EQ(s.hWnd, w);
        got.append({s.msg, s.wParam});
    }
    EXPECT_TRUE(got.contains(qMakePair(WM_TIMECHANGE, LONG(0))));
    EXPECT_TRUE(got.contains(qMakePair(WM_POWERBROADCAST, PBT_APMSUSPEND)));
    EXPECT_TRUE(got.contains(qMakePair(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC)));
    EXPECT_TRUE(got.contains(qMakePair(WM_SETTINGCHANGE, LONG(0))));
    EXPECT_TRUE(got.contains(qMakePair(WM_SYSCOLORCHANGE, LONG(0))));

    platform::StopSystemBroadcasts();
    g_broadcasts.clear();
    platform::BroadcastTimeChange();
    EXPECT_TRUE(g_broadcasts.isEmpty());
    platform::ForgetWindowProcedures(w);
}

TEST(SystemBroadcasts, TheZoneFileIsNamedOnlyWhileWatchedAndOnlyWhenTheUserNamedNoZone) {
    const QByteArray saved = qgetenv("TZ");
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    const HWND w = 7005;
    const struct {
        const char* tz; // nullptr: unset
        const char* whileWatched;
    } cases[] = {{nullptr, ":/etc/localtime"}, {"Asia/Tokyo", "Asia/Tokyo"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tz ? c.tz : "(unset)");
        if (c.tz)
            qputenv("TZ", c.tz);
        else
            qunsetenv("TZ");
        ::tzset();
        const int offset = QDateTime::currentDateTime().offsetFromUtc();
        platform::StartSystemBroadcasts(w);
        EXPECT_EQ(qgetenv("TZ"), QByteArray(c.whileWatched));
        platform::BroadcastTimeChange(); // the zone file read anew, the name kept
        EXPECT_EQ(qgetenv("TZ"), QByteArray(c.whileWatched));
        EXPECT_EQ(QDateTime::currentDateTime().offsetFromUtc(), offset); // the same zone
        platform::StopSystemBroadcasts();
        EXPECT_EQ(qEnvironmentVariableIsSet("TZ"), c.tz != nullptr);
        EXPECT_EQ(qgetenv("TZ"), QByteArray(c.tz ? c.tz : ""));
    }
    if (wasSet)
        qputenv("TZ", saved);
    else
        qunsetenv("TZ");
    ::tzset();
    platform::ForgetWindowProcedures(w);
}

// SIGTERM, SIGHUP and SIGINT (Ctrl+C) end the program alike; SIGPIPE is ignored throughout.
TEST(SessionEndSignals, EndSignalsReachTheHookOnTheEventLoop) {
    const int endSignals[] = {SIGTERM, SIGHUP, SIGINT};
    QVector<int> got;
    platform::InstallSessionEndHook([&](int n) { got.append(n); });
    const auto handler = [](int n) {
        struct sigaction now {};
        sigaction(n, nullptr, &now);
        return now.sa_handler;
    };
    // Checked before raising: a signal left at its default would end this test program.
    for (int n : endSignals)
        ASSERT_NE(handler(n), SIG_DFL) << strsignal(n);
    ASSERT_EQ(handler(SIGPIPE), SIG_IGN);
    for (int n : endSignals)
        std::raise(n);
    std::raise(SIGPIPE);
    // The handler only wrote to the pipe; the hook runs from the event loop.
    EXPECT_TRUE(got.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return got.size() >= 3; }, 30000));
    EXPECT_EQ(got, (QVector<int>{SIGTERM, SIGHUP, SIGINT}));
    platform::InstallSessionEndHook(nullptr);
    for (int n : endSignals)
        EXPECT_EQ(handler(n), SIG_DFL) << strsignal(n);
    EXPECT_EQ(handler(SIGPIPE), SIG_IGN);
}

// Caught before there is a hook (the program's first moments): the signal ends nothing by
// itself and reaches the hook once it is installed.
TEST(SessionEndSignals, ASignalBeforeTheHookWaitsForIt) {
    platform::CatchSessionEndSignals();
    std::raise(SIGINT);
    std::raise(SIGTERM);
    Pump(50);
    QVector<int> got;
    platform::InstallSessionEndHook([&](int n) { got.append(n); });
    EXPECT_TRUE(WaitFor([&] { return got.size() >= 2; }, 30000));
    EXPECT_EQ(got, (QVector<int>{SIGINT, SIGTERM}));
    platform::InstallSessionEndHook(nullptr);
}

} // namespace
