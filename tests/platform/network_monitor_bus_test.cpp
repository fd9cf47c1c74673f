// The connection state against a stand-in NetworkManager on a bus of the test's own that
// answers late: the first question is answered at once (unknown, so counted as connected),
// and the state the stand-in tells arrives afterwards.
#include "fakes/child_process.h"
#include "fakes/private_bus.h"
#include "fakes/wait_for.h"
#include "platform/network.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>

namespace {

constexpr int kAnswerDelayMs = 3000;
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");

// NetworkManager as far as its properties go: disconnected, told only after kAnswerDelayMs.
// Any other call is refused at once.
class StandInNetworkManager : public QDBusVirtualObject {
public:
    int propertyCalls = 0;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        QDBusConnection bus = connection;
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            message.member() == QLatin1String("GetAll")) {
            ++propertyCalls;
            const QVariantMap properties{
                {QStringLiteral("State"), QVariant::fromValue(uint(20))},       // disconnected
                {QStringLiteral("Connectivity"), QVariant::fromValue(uint(1))}, // none
            };
            QTimer::singleShot(kAnswerDelayMs, [message, bus, properties]() mutable {
                bus.send(message.createReply(QVariant::fromValue(properties)));
            });
            return true;
        }
        bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                          QStringLiteral("not in the stand-in")));
        return true;
    }
};

// "connection-state-over-bus": 2 when the first question waited for the monitor, 3 when the
// stand-in's state never arrived.
const TestHelperRegistration
    kConnectionState(QStringLiteral("connection-state-over-bus"), [](const QStringList&) {
        DWORD flags = 0;
        const BOOL first = InternetGetConnectedState(&flags, 0);
        std::cout << "first answer " << first << " flags " << flags << std::endl;
        if (first != 1 || flags != INTERNET_CONNECTION_CONFIGURED)
            return 2;
        if (!WaitFor([&] { return InternetGetConnectedState(&flags, 0) == 0; }, 60000))
            return 3;
        std::cout << "then offline, flags " << flags << std::endl;
        return flags == INTERNET_CONNECTION_OFFLINE ? 0 : 4;
    });

TEST(ConnectionState, NeverWaitsForTheNetworkMonitor) {
    PrivateBus bus;
    ASSERT_TRUE(bus.trouble().isEmpty()) << bus.trouble().toStdString();
    QDBusConnection stand =
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("network-stand-in"));
    ASSERT_TRUE(stand.isConnected());
    StandInNetworkManager manager;
    ASSERT_TRUE(stand.registerVirtualObject(QStringLiteral("/org/freedesktop/NetworkManager"),
                                            &manager, QDBusConnection::SubPath));
    ASSERT_TRUE(stand.registerService(kService));

    QProcess helper;
    helper.setProcessEnvironment(bus.environment());
    helper.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnGroup(helper, QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--helper"), QStringLiteral("connection-state-over-bus")});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const bool ended = WaitFor([&] { return helper.state() == QProcess::NotRunning; }, 120000);
    const QString output = QString::fromLocal8Bit(helper.readAll());
    EndProcessGroup(helper);
    stand.unregisterService(kService);
    QDBusConnection::disconnectFromBus(QStringLiteral("network-stand-in"));
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(helper.exitCode(), 0) << output.toStdString();
    EXPECT_GE(manager.propertyCalls, 1);
}

} // namespace
