// What a test starts in a session of its own ends with it: ended by the test, after the test,
// and when the test program itself dies.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "signal_process.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A shell that starts two sleepers in the background, says their process ids and waits.
const QStringList kSleepers{QStringLiteral("-c"),
                            QStringLiteral("sleep 600 & echo $!; sleep 600 & echo $!; wait")};

bool alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

QList<qint64> readPids(QProcess& p, int count) {
    QList<qint64> pids;
    WaitFor(
        [&] {
            while (p.canReadLine())
                pids << p.readLine().trimmed().toLongLong();
            return pids.size() >= count;
        },
        30000);
    return pids;
}

// "crash-with-sleepers": starts the sleepers in a session, prints their ids and dies at once.
const TestHelperRegistration kCrash(QStringLiteral("crash-with-sleepers"), [](const QStringList&) {
    QProcess shell;
    StartInOwnSession(shell);
    shell.start(QStringLiteral("sh"), kSleepers);
    if (!shell.waitForStarted(30000))
        return 1;
    for (const qint64 pid : readPids(shell, 2))
        std::printf("%lld\n", pid);
    std::fflush(stdout);
    std::abort();
});

TEST(ProcessSessions, EndSessionEndsWhatTheProgramStarted) {
    QProcess shell;
    StartInOwnSession(shell);
    shell.start(QStringLiteral("sh"), kSleepers);
    ASSERT_TRUE(shell.waitForStarted(30000));
    const QList<qint64> sleepers = readPids(shell, 2);
    ASSERT_EQ(sleepers.size(), 2);
    EndSession(shell);
    EXPECT_EQ(shell.state(), QProcess::NotRunning);
    for (const qint64 pid : sleepers)
        EXPECT_TRUE(WaitFor([&] { return !alive(pid); }, 30000)) << pid;
}

TEST(ProcessSessions, WhatATestLeftIsEndedAfterIt) {
    QProcess shell;
    StartInOwnSession(shell);
    shell.start(QStringLiteral("sh"), kSleepers);
    ASSERT_TRUE(shell.waitForStarted(30000));
    const QList<qint64> sleepers = readPids(shell, 2);
    ASSERT_EQ(sleepers.size(), 2);
    // The shell is killed as a test that stops too soon would: its sleepers are left.
    shell.kill();
    shell.waitForFinished(30000);
    EXPECT_TRUE(alive(sleepers[0]));
    EXPECT_EQ(EndAllSessions(), 2);
    for (const qint64 pid : sleepers)
        EXPECT_FALSE(alive(pid)) << pid;
}

TEST(ProcessSessions, ATestProgramThatDiesTakesItsSessionsWithIt) {
    QProcess crashing;
    crashing.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--helper"), QStringLiteral("crash-with-sleepers")});
    ASSERT_TRUE(crashing.waitForStarted(30000));
    const QList<qint64> sleepers = readPids(crashing, 2);
    ASSERT_EQ(sleepers.size(), 2) << crashing.readAllStandardError().constData();
    EXPECT_TRUE(WaitFor([&] { return crashing.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(crashing.exitStatus(), QProcess::CrashExit);
    for (const qint64 pid : sleepers) {
        EXPECT_TRUE(WaitFor([&] { return !alive(pid); }, 30000)) << pid;
        if (alive(pid))
            SignalProcess(pid, SIGKILL);
    }
}

} // namespace
