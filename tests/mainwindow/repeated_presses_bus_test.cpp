// The screen-saver and lock commands pressed again while the desktop has not answered yet,
// against stand-ins on a bus of the test's own that refuse late: one request on the bus and
// one message per wait; a press after the answer asks anew.
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "fakes/private_bus.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "platform/timezone.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace {

const QString kSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
constexpr int kAnswerDelayMs = 2000;

// Refuses each call kAnswerDelayMs after it came.
void refuseLate(QObject* owner, const QDBusMessage& call, QDBusConnection bus) {
    QTimer::singleShot(kAnswerDelayMs, owner, [call, bus]() mutable {
        bus.send(call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                       QStringLiteral("refused by the stand-in")));
    });
}

// The desktop's screen saver, refusing late; CallsOf tells the program under test how many
// calls of a method have come (its own calls before it on the same connection included).
class StandInScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;
public slots:
    void Lock() {
        calls << QStringLiteral("Lock");
        setDelayedReply(true);
        refuseLate(this, message(), connection());
    }
    bool SetActive(bool) {
        calls << QStringLiteral("SetActive");
        setDelayedReply(true);
        refuseLate(this, message(), connection());
        return false;
    }
    int CallsOf(const QString& method) { return int(calls.count(method)); }
};

// The login manager's session, refusing the lock late too.
class StandInSession : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public slots:
    void Lock() {
        setDelayedReply(true);
        refuseLate(this, message(), connection());
    }
};

int callsOf(const QString& method) {
    QDBusMessage ask =
        QDBusMessage::createMethodCall(kSaver, kSaverPath, kSaver, QStringLiteral("CallsOf"));
    ask << method;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(ask, QDBus::Block, 60000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
               ? reply.arguments().constFirst().toInt()
               : -1;
}

// "repeated-presses": the main window on the bus of DBUS_SESSION_BUS_ADDRESS. The exit code
// names the first step that went wrong.
const TestHelperRegistration
    kRepeatedPresses(QStringLiteral("repeated-presses"), [](const QStringList&) {
        FakeRegistry registry;
        FakeSound sound;
        FakeTray tray;
        FakeNetwork network;
        if (!LoadSettings())
            return 2;
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 8, 30)));
        frmPrayerSettings::PlaceFileOverride = QStringLiteral("/nonexistent/TallixTime.xml");
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
        int boxes = 0;
        runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
            std::cout << "box: " << prompt.toStdString() << std::endl;
            ++boxes;
            return vbOK;
        });
        auto window = std::make_unique<frmTallix>();

        const struct {
            const char* what;
            void (frmTallix::*press)();
            QString method;
        } commands[] = {
            {"screen saver", &frmTallix::mnuScreenSaver_Click, QStringLiteral("SetActive")},
            {"lock", &frmTallix::mnuLockWorkStation_Click, QStringLiteral("Lock")},
        };
        int step = 10;
        for (const auto& c : commands) {
            boxes = 0;
            (window.get()->*c.press)();
            (window.get()->*c.press)();
            if (!WaitFor([&] { return boxes >= 1; }, 60000))
                return step + 1;
            const int calls = callsOf(c.method);
            std::cout << c.what << ": " << calls << " calls for two presses" << std::endl;
            if (calls != 1)
                return step + 2;
            (window.get()->*c.press)();
            if (!WaitFor([&] { return boxes >= 2; }, 60000))
                return step + 3;
            if (callsOf(c.method) != 2 || boxes != 2)
                return step + 4;
            step += 10;
        }
        window.reset();
        runtime::SetMsgBoxAnswerer(nullptr);
        return 0;
    });

TEST(RepeatedPresses, OneRequestAndOneMessageWhileTheDesktopWaits) {
    PrivateBus bus;
    ASSERT_TRUE(bus.trouble().isEmpty()) << bus.trouble().toStdString();
    QDBusConnection stand =
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("press-stand-ins"));
    ASSERT_TRUE(stand.isConnected());
    StandInScreenSaver saver;
    StandInSession session;
    ASSERT_TRUE(stand.registerObject(kSaverPath, &saver, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(stand.registerService(kSaver));
    ASSERT_TRUE(stand.registerObject(QStringLiteral("/org/freedesktop/login1/session/auto"),
                                     &session, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(stand.registerService(QStringLiteral("org.freedesktop.login1")));

    QProcess helper;
    helper.setProcessEnvironment(bus.environment());
    helper.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnGroup(helper, QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--helper"), QStringLiteral("repeated-presses")});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const bool ended = WaitFor([&] { return helper.state() == QProcess::NotRunning; }, 240000);
    const QString output = QString::fromLocal8Bit(helper.readAll());
    EndProcessGroup(helper);
    QDBusConnection::disconnectFromBus(QStringLiteral("press-stand-ins"));
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(helper.exitCode(), 0) << output.toStdString();
    EXPECT_EQ(saver.calls.join(u' ').toStdString(), "SetActive SetActive Lock Lock");
}

} // namespace

#include "repeated_presses_bus_test.moc"
