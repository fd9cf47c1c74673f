// A second start while the first copy is still starting: here the first copy waits for the
// settings store's lock, which the test holds (as a slow disk or another writer would hold it
// up), so it owns the single-instance mutex but shows no window yet. The second start waits for
// it, however long, and hands over once its window is up; when the first copy dies meanwhile,
// the second start becomes the running copy.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "signal_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

class SlowFirstStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config/tallix-time")));
        ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("run")));
        QFile::setPermissions(runDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
        // The store's lock, held: a first start writes its defaults under it, so it waits here.
        lock = ::open(QFile::encodeName(home.path() + "/config/tallix-time/registry.lock"),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(lock, 0);
        ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    }
    void TearDown() override {
        if (lock >= 0)
            ::close(lock);
        for (auto& p : processes) {
            if (p->state() == QProcess::NotRunning)
                continue;
            // As the session ends it (so it removes its files), then the whole group for good.
            const qint64 leader = p->processId();
            SignalGroup(leader, SIGTERM);
            if (!p->waitForFinished(5000)) {
                SignalGroup(leader, SIGKILL);
                p->waitForFinished(3000);
            }
        }
        RemoveShortSocketFolders(runDir());
    }

    QString runDir() const { return home.path() + QStringLiteral("/run"); }
    void releaseStore() {
        ::close(lock);
        lock = -1;
    }

    // Starts the program in a session of its own; its log says when a start waits.
    QProcess* start() {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runDir());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("tallix.handover.debug=true"));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        StartInOwnSession(*p);
        p->start(QStringLiteral(TALLIX_EXE), {});
        EXPECT_TRUE(p->waitForStarted(10000));
        processes.push_back(std::move(p));
        return processes.back().get();
    }

    // Whether some process holds the single-instance mutex (a lock on its lock file).
    bool mutexHeld() const {
        const QDir dir(runDir() + QStringLiteral("/tallix-time"));
        for (const QString& name : dir.entryList({QStringLiteral("mutex-*.lock")}, QDir::Files)) {
            const int fd = ::open(QFile::encodeName(dir.filePath(name)), O_RDWR | O_CLOEXEC);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            const bool held = fd >= 0 && ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
            if (fd >= 0)
                ::close(fd);
            if (held)
                return true;
        }
        return false;
    }

    // The state a copy published for its main window ("active", "hidden"...), "" for none.
    QByteArray mainWindowState(qint64 pid) const {
        QFile f(runDir() + QStringLiteral("/tallix-time/windows/%1.list").arg(pid));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.contains("\tTallix Time - "))
                    return line.split('\t').value(1);
        return {};
    }

    // The first copy holding the mutex, stopped in its settings; a second start waiting on it
    // past the moment an earlier start gave up (1.5 s).
    void startBothAndWait(QProcess** first, QProcess** second) {
        *first = start();
        ASSERT_TRUE(WaitFor([&] { return mutexHeld(); }, 20000)) << "the first copy holds no mutex";
        *second = start();
        QByteArray said;
        ASSERT_TRUE(WaitFor(
            [&] {
                said += (*second)->readAll();
                return said.contains("still starting") ||
                       (*second)->state() == QProcess::NotRunning;
            },
            20000));
        Pump(2500);
        ASSERT_EQ((*second)->state(), QProcess::Running)
            << "the second start gave up: " << said.constData();
        EXPECT_TRUE(mainWindowState((*first)->processId()).isEmpty()) << "not slowed";
    }

    QTemporaryDir home;
    int lock = -1;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(SlowFirstStart, TheSecondStartHandsOverOnceTheFirstIsReady) {
    QProcess* first = nullptr;
    QProcess* second = nullptr;
    startBothAndWait(&first, &second);
    if (HasFatalFailure())
        return;
    releaseStore();
    // The first copy comes up, and only then the second start hands over and ends.
    bool shownBeforeTheEnd = false;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (second->state() == QProcess::NotRunning)
                return true;
            shownBeforeTheEnd = !mainWindowState(first->processId()).isEmpty();
            return false;
        },
        60000))
        << "the second start did not end";
    EXPECT_TRUE(shownBeforeTheEnd) << "the second start ended before the first showed a window";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return mainWindowState(first->processId()) == "active"; }, 10000))
        << "the first copy's window is " << mainWindowState(first->processId()).constData();
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(SlowFirstStart, WhenTheFirstDiesTheSecondBecomesTheRunningCopy) {
    QProcess* first = nullptr;
    QProcess* second = nullptr;
    startBothAndWait(&first, &second);
    if (HasFatalFailure())
        return;
    SignalProcess(first->processId(), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(10000));
    releaseStore();
    EXPECT_TRUE(WaitFor([&] { return !mainWindowState(second->processId()).isEmpty(); }, 60000))
        << "the second start did not become the running copy";
    EXPECT_EQ(second->state(), QProcess::Running);
    // It is the one copy now: a third start hands over to it and ends.
    QProcess* third = start();
    EXPECT_TRUE(WaitFor([&] { return third->state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_EQ(second->state(), QProcess::Running);
}

} // namespace
