// The real program run natively on a Wayland desktop, as the README offers it
// (QT_QPA_PLATFORM=wayland): on a headless Wayland compositor (weston) it starts, shows its main
// window and ends on SIGTERM with status 0; it does not abort for want of Qt's Wayland plugin.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "signal_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// How long a step may take on a busy machine; the test goes on as soon as it is done.
constexpr int kStep = 60000;

TEST(Wayland, TheProgramRunsNativelyWhenAsked) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("weston"), "weston"));
    QTemporaryDir home;
    const QString run = home.path() + QStringLiteral("/run");
    ASSERT_TRUE(QDir().mkpath(run));
    QFile::setPermissions(run,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("tallix-test"));
    env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));

    // The compositor and what it starts (its shell, its keyboard) end with the test.
    QProcess compositor;
    compositor.setProcessEnvironment(env);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnSession(compositor);
    compositor.start(QStringLiteral("weston"),
                     {QStringLiteral("--backend=headless-backend.so"),
                      QStringLiteral("--socket=tallix-test"), QStringLiteral("--idle-time=0")});
    ASSERT_TRUE(compositor.waitForStarted(kStep));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(run + QStringLiteral("/tallix-test")); }, kStep))
        << compositor.readAll().constData();

    QProcess program;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    StartInOwnSession(program);
    program.start(QStringLiteral(TALLIX_EXE), {});
    ASSERT_TRUE(program.waitForStarted(kStep));
    // Its main window is shown: the program published it, as it does on every platform.
    const QString list =
        run + QStringLiteral("/tallix-time/windows/%1.list").arg(program.processId());
    QByteArray said;
    bool shown = false;
    WaitFor(
        [&] {
            said += program.readAll();
            QFile f(list);
            shown = f.open(QIODevice::ReadOnly) && f.readAll().contains("\tnormal\tTallix Time - ");
            return shown || program.state() != QProcess::Running;
        },
        kStep);
    ASSERT_EQ(program.state(), QProcess::Running)
        << "status " << program.exitCode() << ": " << said.constData();
    EXPECT_TRUE(shown) << said.constData();
    EXPECT_FALSE(said.contains("platform plugin")) << said.constData();

    ASSERT_EQ(SignalProcess(program.processId(), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(kStep));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAll().constData();
    EndSession(program);
    EndSession(compositor);
}

} // namespace
