// The real program, started as a user starts it: one copy at a time, and settings that survive
// the program being killed while it writes them.
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class RealProgram : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(runDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }
    void TearDown() override {
        for (auto& p : processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString configDir() const { return home.path() + QStringLiteral("/config"); }
    QString runDir() const { return home.path() + QStringLiteral("/run"); }
    QString storeDir() const { return configDir() + QStringLiteral("/tallix-time"); }

    QProcess* start() {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runDir());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(TALLIX_EXE), {});
        EXPECT_TRUE(p->waitForStarted(5000));
        processes.push_back(std::move(p));
        return processes.back().get();
    }

    // Whether some copy has published its main window.
    bool mainWindowPublished() const {
        QDir windows(runDir() + QStringLiteral("/tallix-time/windows"));
        for (const QString& name : windows.entryList({QStringLiteral("*.list")}, QDir::Files)) {
            QFile f(windows.filePath(name));
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains("\tTallix Time - "))
                return true;
        }
        return false;
    }

    bool waitFor(const std::function<bool()>& condition, int ms) {
        QElapsedTimer t;
        t.start();
        while (!condition()) {
            if (t.elapsed() > ms)
                return false;
            // QProcess learns of output and exits through the event loop.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
        return true;
    }

    QTemporaryDir home;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(RealProgram, ASecondStartHandsOverToTheFirstAndEnds) {
    QProcess* first = start();
    ASSERT_TRUE(waitFor([&] { return mainWindowPublished(); }, 15000))
        << first->readAllStandardError().constData();

    QElapsedTimer took;
    took.start();
    QProcess* second = start();
    ASSERT_TRUE(second->waitForFinished(2000)) << "the second start must end at once";
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);

    QByteArray log;
    ASSERT_TRUE(waitFor(
        [&] {
            log += first->readAllStandardError();
            return log.contains("restore request") && log.contains("activate request");
        },
        3000))
        << log.constData();
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(RealProgram, TwoStartsTogetherLeaveExactlyOneRunning) {
    for (int round = 0; round < 4; ++round) {
        QProcess* a = start();
        QProcess* b = start();
        ASSERT_TRUE(waitFor(
            [&] {
                return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning;
            },
            8000))
            << "round " << round;
        waitFor([] { return false; }, 300);
        const int running = (a->state() == QProcess::Running) + (b->state() == QProcess::Running);
        EXPECT_EQ(running, 1) << "round " << round;
        QProcess* ended = a->state() == QProcess::NotRunning ? a : b;
        EXPECT_EQ(ended->exitCode(), 0);
        for (QProcess* p : {a, b}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
}

TEST_F(RealProgram, KillingItWhileItWritesSettingsLeavesAStoreThatLoads) {
    int cutShort = 0;
    for (int delay = 5; delay <= 305; delay += 25) {
        QDir(storeDir()).removeRecursively();
        QProcess* p = start();
        QThread::msleep(delay);
        ::kill(static_cast<pid_t>(p->processId()), SIGKILL);
        p->waitForFinished(3000);

        auto store = platform::MakeFileRegistryStore(storeDir(), configDir() + "/autostart");
        DWORD type = 0;
        QByteArray data;
        const LONG rc =
            store->queryValue(QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time"),
                              QStringLiteral("AudioType0"), &type, &data);
        if (rc != ERROR_SUCCESS)
            ++cutShort;
        const QStringList damaged =
            QDir(storeDir()).entryList({QStringLiteral("*damaged*")}, QDir::Files);
        EXPECT_TRUE(damaged.isEmpty()) << "killed after " << delay << " ms: " << damaged.size();
        QFile file(storeDir() + QStringLiteral("/registry.conf"));
        if (file.open(QIODevice::ReadOnly) && !file.readAll().contains("SliderTickStyle"))
            ++cutShort;
    }
    // Whatever the moment of the kill, the next start loads the settings and completes them.
    QProcess* p = start();
    ASSERT_TRUE(waitFor([&] { return mainWindowPublished(); }, 15000));
    QFile file(storeDir() + QStringLiteral("/registry.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("\"SliderTickStyle\"=\"1\""));
    EXPECT_TRUE(QDir(storeDir()).entryList({QStringLiteral("*damaged*")}, QDir::Files).isEmpty());
    // Temporaries of the killed writers are cleared away.
    EXPECT_TRUE(QDir(storeDir()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files).isEmpty());
    p->kill();
    RecordProperty("KilledMidWrite", cutShort);
}

} // namespace
