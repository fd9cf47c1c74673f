// The screen saver's presence on a real session bus of the test's own: followed by the bus's
// signals, told to the broadcast window, and answered without waiting on a stalled bus.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "platform/broadcasts.h"
#include "platform/sysparams.h"
#include "platform/wndproc.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>

namespace {

const QString kSaver = QStringLiteral("org.freedesktop.ScreenSaver");
constexpr HWND kWindow = 0x7A0001;
int gChanges = 0;
WNDPROC gPrev = nullptr;

LONG countChanges(HWND hWnd, UINT msg, LONG wParam, LONG lParam) {
    if (msg == WM_SETTINGCHANGE && wParam == LONG(SPI_SETSCREENSAVEACTIVE))
        ++gChanges;
    return CallWindowProcA(gPrev, hWnd, msg, wParam, lParam);
}

// 1 when the session offers a screen saver, 0 when not, -1 when the call failed.
int saverAnswer() {
    BOOL on = -1;
    return SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 1, &on, 0) ? int(on) : -1;
}

// "saver-on-bus DAEMON_PID": run on the bus named by DBUS_SESSION_BUS_ADDRESS, which has no
// screen saver at first. The exit code names the first step that went wrong.
const TestHelperRegistration kSaverOnBus(QStringLiteral("saver-on-bus"), [](const QStringList& a) {
    gPrev = SetWindowLongA(kWindow, GWL_WNDPROC, &countChanges);
    platform::StartSystemBroadcasts(kWindow);
    saverAnswer();
    if (!WaitFor([] { return saverAnswer() == 0; }, 30000))
        return 2;
    if (gChanges != 1)
        return 3;

    // A screen saver comes and goes on another connection.
    QDBusConnection other = QDBusConnection::connectToBus(
        qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("saver"));
    if (!other.isConnected() || !other.registerService(kSaver))
        return 4;
    if (!WaitFor([] { return saverAnswer() == 1; }, 30000) || gChanges != 2)
        return 5;
    if (!other.unregisterService(kSaver))
        return 6;
    if (!WaitFor([] { return saverAnswer() == 0; }, 30000) || gChanges != 3)
        return 7;

    // The bus stops answering: the question is still answered at once.
    const pid_t daemon = pid_t(a.value(0).toLongLong());
    ::kill(daemon, SIGSTOP);
    QElapsedTimer asked;
    asked.start();
    const int answer = saverAnswer();
    const qint64 took = asked.elapsed();
    ::kill(daemon, SIGCONT);
    std::cout << "stalled bus answered " << answer << " in " << took << " ms" << std::endl;
    // Far below the bus's own time-out for a call (25 s), even on a busy machine.
    if (answer != 0 || took > 10000)
        return 8;
    platform::StopSystemBroadcasts();
    QDBusConnection::disconnectFromBus(QStringLiteral("saver"));
    return 0;
});

TEST(ScreenSaverPresence, FollowedByTheBusAndNeverWaitedFor) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("dbus-daemon"), "dbus-daemon"));
    QTemporaryDir dir;
    QProcess bus;
    StartInOwnSession(bus);
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--print-address"),
               QStringLiteral("--address=unix:dir=") + dir.path()});
    ASSERT_TRUE(bus.waitForStarted(30000));
    ASSERT_TRUE(WaitFor([&] { return bus.canReadLine(); }, 30000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    helper.setProcessEnvironment(env);
    StartInOwnSession(helper);
    helper.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--helper"), QStringLiteral("saver-on-bus"),
                  QString::number(bus.processId())});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const bool ended = WaitFor([&] { return helper.state() == QProcess::NotRunning; }, 120000);
    if (!ended) {
        helper.kill();
        helper.waitForFinished(3000);
    }
    ::kill(pid_t(bus.processId()), SIGCONT);
    bus.kill();
    bus.waitForFinished(3000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardOutput().toStdString()
                                    << helper.readAllStandardError().toStdString();
}

} // namespace
