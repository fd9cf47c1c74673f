// Locking the session and starting the screen saver against stand-ins on a bus of the test's
// own that answer late: the calls return at once, the event loop runs while the answer is
// awaited, and the answer arrives (the login manager's lock when the screen saver refuses).
#include "fakes/child_process.h"
#include "fakes/private_bus.h"
#include "fakes/wait_for.h"
#include "platform/sysparams.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>

namespace {

constexpr int kAnswerDelayMs = 3000;

// Keeps the answer to a call for kAnswerDelayMs, then gives it.
void answerLate(QObject* owner, const QDBusMessage& call, QDBusConnection bus, bool refuse,
                const QVariantList& values = {}) {
    QTimer::singleShot(kAnswerDelayMs, owner, [call, bus, refuse, values]() mutable {
        bus.send(refuse ? call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                QStringLiteral("refused by the stand-in"))
                        : call.createReply(values));
    });
}

// The desktop's screen saver: Lock and SetActive answered late, Lock refused on request.
class StandInScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    bool refuseLock = false;
    QStringList calls;
public slots:
    void Lock() {
        calls << QStringLiteral("Lock");
        setDelayedReply(true);
        answerLate(this, message(), connection(), refuseLock);
    }
    bool SetActive(bool on) {
        calls << QStringLiteral("SetActive");
        setDelayedReply(true);
        answerLate(this, message(), connection(), false, {on});
        return false;
    }
};

// The login manager's session of the caller: Lock answered late.
class StandInSession : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    int locks = 0;
public slots:
    void Lock() {
        ++locks;
        setDelayedReply(true);
        answerLate(this, message(), connection(), false);
    }
};

// Asks, counts the event loop's turns (a 100 ms timer) until the answer, and prints them.
// -1 when the call did not return before its answer or no answer came; else whether it was ok.
int askAndWait(const char* what, const std::function<void(platform::SystemAnswer)>& ask) {
    int turns = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] { ++turns; });
    turn.start(100);
    std::optional<bool> answer;
    ask([&](bool ok, const QString&) { answer = ok; });
    if (answer)
        return -1; // answered inside the call: it waited
    if (!WaitFor([&] { return answer.has_value(); }, 60000))
        return -1;
    std::cout << what << ": " << (*answer ? "done" : "refused") << " after " << turns
              << " turns of the event loop" << std::endl;
    if (turns < 2)
        return -1;
    return *answer ? 1 : 0;
}

// "desktop-requests": the exit code names the first request that went wrong.
const TestHelperRegistration
    kDesktopRequests(QStringLiteral("desktop-requests"), [](const QStringList&) {
        if (askAndWait("lock", [](platform::SystemAnswer a) { LockWorkStation(a); }) != 1)
            return 2;
        if (askAndWait("screen saver",
                       [](platform::SystemAnswer a) { platform::ActivateScreenSaver(a); }) != 1)
            return 3;
        // The test's stand-in refuses the next lock: the login manager locks instead.
        if (askAndWait("lock through the login manager",
                       [](platform::SystemAnswer a) { LockWorkStation(a); }) != 1)
            return 4;
        return 0;
    });

TEST(DesktopRequests, AnsweredLateWithoutWaiting) {
    PrivateBus bus;
    ASSERT_TRUE(bus.trouble().isEmpty()) << bus.trouble().toStdString();
    QDBusConnection stand =
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("desktop-stand-ins"));
    ASSERT_TRUE(stand.isConnected());
    StandInScreenSaver saver;
    StandInSession session;
    ASSERT_TRUE(stand.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                     QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(stand.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(stand.registerObject(QStringLiteral("/org/freedesktop/login1/session/auto"),
                                     &session, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(stand.registerService(QStringLiteral("org.freedesktop.login1")));

    QProcess helper;
    helper.setProcessEnvironment(bus.environment());
    helper.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnGroup(helper, QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--helper"), QStringLiteral("desktop-requests")});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const bool ended = WaitFor(
        [&] {
            // Once the screen saver has started, it refuses the next lock.
            if (saver.calls.count(QStringLiteral("Lock")) == 1 &&
                saver.calls.contains(QStringLiteral("SetActive")))
                saver.refuseLock = true;
            return helper.state() == QProcess::NotRunning;
        },
        180000);
    const QString output = QString::fromLocal8Bit(helper.readAll());
    EndProcessGroup(helper);
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop-stand-ins"));
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(helper.exitCode(), 0) << output.toStdString();
    EXPECT_EQ(saver.calls, (QStringList{QStringLiteral("Lock"), QStringLiteral("SetActive"),
                                        QStringLiteral("Lock")}));
    EXPECT_EQ(session.locks, 1);
}

} // namespace

#include "desktop_requests_bus_test.moc"
