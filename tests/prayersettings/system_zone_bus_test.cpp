// OK with a new system zone against a stand-in for systemd-timedated on a bus of the test's
// own, which answers SetTimezone only after a long time, as when the desktop asks the user for
// a password: the main window keeps ticking, the athan due meanwhile sounds on its second, the
// settings are saved at once and the answer (granted or refused) still reaches the user.
//
// TALLIX_TIMEDATE_DELAY_S sets how long the stand-in keeps the granted answer (default 30 s:
// past the bus's own 25 s default time-out; 90 s is a slow password).
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "fakes/private_bus.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "platform/timezone.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>

namespace {

const QDate kDay(2024, 3, 10);
constexpr int kLeadSeconds = 3; // OK is pressed this long before Dhuhr
const QString kRefusal = QStringLiteral("Not authorized by the stand-in");

// systemd-timedated as far as SetTimezone goes: keeps each call's answer for delayMs.
class StandInTimedate : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
public:
    int delayMs = 90000;
    bool refuse = false;
    QStringList zones;

public slots:
    void SetTimezone(const QString& zone, bool) {
        zones << zone;
        setDelayedReply(true);
        const QDBusMessage call = message();
        QDBusConnection bus = connection();
        QTimer::singleShot(delayMs, this, [this, call, bus]() mutable {
            bus.send(refuse
                         ? call.createErrorReply(
                               QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), kRefusal)
                         : call.createReply());
        });
    }
};

// "zone-over-bus grant|refuse": the main window with its clock running from a little before
// Dhuhr, and the settings dialog's OK with another zone. The exit code names the first check
// that failed.
int zoneOverBus(const QStringList& a) {
    const bool refused = a.value(0) == QLatin1String("refuse");
    FakeRegistry registry;
    FakeSound sound;
    FakeTray tray;
    FakeMixer mixer;
    FakeSystem system;
    LoadSettings();
    platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
    QStringList prompts;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        prompts << prompt;
        return vbOK;
    });
    gLaunchMinimized = 0;
    gMuteAll = 0;
    gAudioType[1] = 1;

    runtime::SetClock(QDateTime(kDay, QTime(10, 0)));
    QPointer<frmTallix> main = new frmTallix();
    main->Load();
    main->Show();
    const std::optional<int> noon = main->PrayerSeconds[3];
    if (!noon)
        return 2;
    // From here the clock runs at the real pace from a little before Dhuhr.
    const QDateTime start = QDateTime(kDay, QTime(0, 0)).addSecs(*noon - kLeadSeconds);
    QElapsedTimer running;
    running.start();
    runtime::SetClock([start, running] { return start.addMSecs(running.elapsed()); });
    main->tmrMain->start();
    sound.clear();

    bool pending = false;
    int ticksWhilePending = 0;
    std::optional<QDateTime> athanAt;
    bool athanWhilePending = false;
    QObject::connect(main->tmrMain, &QTimer::timeout, main, [&] {
        if (pending)
            ++ticksWhilePending;
        if (!athanAt && !sound.playingName().isEmpty()) {
            athanAt = Now();
            athanWhilePending = pending;
        }
    });

    QPointer<frmPrayerSettings> dialog = new frmPrayerSettings();
    dialog->Load();
    dialog->show();
    int row = -1;
    for (int i = 0; i < dialog->cboWindowsTimezone->count() && row < 0; ++i)
        if (dialog->cboWindowsTimezone->itemText(i).startsWith(
                QStringLiteral("(GMT+03:00) Nairobi")))
            row = i;
    if (row < 0)
        return 3;
    dialog->cboWindowsTimezone->setCurrentIndex(row);
    dialog->cboRounding->setCurrentIndex(1);
    pending = true;
    dialog->cmdSave->click();
    std::cout << "OK returned" << std::endl;
    if (registry.text(kSettingsKey, QStringLiteral("Rounding")) != QLatin1String("1"))
        return 4; // the settings wait for nothing
    const auto* waitLine =
        dialog ? dialog->findChild<QLabel*>(QStringLiteral("lblSystemZone")) : nullptr;
    if (!waitLine || !waitLine->isVisible())
        return 5; // the dialog says that it waits
    // The answer closes the dialog, however long it takes.
    if (!WaitFor([&] { return !dialog || !dialog->isVisible(); }, 200000))
        return 6;
    pending = false;
    std::cout << "ticks while waiting " << ticksWhilePending << ", athan at "
              << (athanAt ? athanAt->toString(Qt::ISODate).toStdString() : "none")
              << (athanWhilePending ? " (while waiting)" : "") << ", Dhuhr at "
              << QTime(0, 0).addSecs(*noon).toString().toStdString() << ", prompts "
              << prompts.join(QStringLiteral(" | ")).toStdString() << std::endl;
    if (ticksWhilePending < 1)
        return 7; // the window went on ticking
    if (refused) {
        if (prompts.size() != 1 || !prompts[0].contains(kRefusal))
            return 8;
    } else {
        if (!prompts.isEmpty())
            return 9;
        if (!athanAt || !athanWhilePending)
            return 10;
        if (QTime(0, 0).secsTo(athanAt->time()) != *noon)
            return 11; // on its own second, not caught up later
    }
    main->UnloadFrom(vbAppWindows);
    Pump(50);
    return 0;
}
const TestHelperRegistration kZoneOverBus(QStringLiteral("zone-over-bus"), zoneOverBus);

class SystemZoneOverBus : public ::testing::TestWithParam<bool> {};

TEST_P(SystemZoneOverBus, TheWindowTicksAndTheAthanSoundsWhileTheSystemAnswersLate) {
    const bool refuse = GetParam();
    PrivateBus bus;
    ASSERT_TRUE(bus.trouble().isEmpty()) << bus.trouble().toStdString();
    QDBusConnection stand =
        QDBusConnection::connectToBus(bus.address(), QStringLiteral("timedate-stand-in"));
    ASSERT_TRUE(stand.isConnected());
    StandInTimedate timedate;
    timedate.refuse = refuse;
    const int granted = qEnvironmentVariableIntValue("TALLIX_TIMEDATE_DELAY_S");
    timedate.delayMs = refuse ? 4000 : 1000 * (granted > 0 ? granted : 30);
    ASSERT_TRUE(stand.registerObject(QStringLiteral("/org/freedesktop/timedate1"), &timedate,
                                     QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(stand.registerService(QStringLiteral("org.freedesktop.timedate1")));

    QProcess helper;
    helper.setProcessEnvironment(bus.environment());
    helper.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnGroup(helper, QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--helper"), QStringLiteral("zone-over-bus"),
                     refuse ? QStringLiteral("refuse") : QStringLiteral("grant")});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const bool ended =
        WaitFor([&] { return helper.state() == QProcess::NotRunning; }, timedate.delayMs + 120000);
    const QString output = QString::fromLocal8Bit(helper.readAll());
    EndProcessGroup(helper);
    stand.unregisterService(QStringLiteral("org.freedesktop.timedate1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("timedate-stand-in"));
    ASSERT_TRUE(ended) << output.toStdString();
    EXPECT_EQ(timedate.zones, QStringList{QStringLiteral("Africa/Nairobi")});
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, SystemZoneOverBus, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Refused" : "Granted"; });

} // namespace

#include "system_zone_bus_test.moc"
