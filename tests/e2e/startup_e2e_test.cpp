// The real program, started as a user starts it: one copy at a time, and settings that survive
// the program being killed while it writes them.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "signal_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// How long a step may take on a busy machine; the tests go on as soon as it is done.
constexpr int kStep = 30000;

class RealProgram : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(home.path()).mkpath(QStringLiteral("config"));
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(runDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }
    void TearDown() override {
        for (auto& p : processes)
            EndGently(*p);
        RemoveShortSocketFolders(runDir());
    }

    QString configDir() const { return home.path() + QStringLiteral("/config"); }
    QString runDir() const { return run.isEmpty() ? home.path() + QStringLiteral("/run") : run; }
    QString storeDir() const { return configDir() + QStringLiteral("/tallix-time"); }

    QProcess* start() {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runDir());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        p->setProcessEnvironment(env);
        StartInOwnSession(*p);
        p->start(QStringLiteral(TALLIX_EXE), {});
        EXPECT_TRUE(p->waitForStarted(kStep));
        processes.push_back(std::move(p));
        return processes.back().get();
    }

    // Whether some copy (or the one with that process id) has published its main window.
    bool mainWindowPublished(qint64 pid = 0) const { return !mainWindowState(pid).isEmpty(); }

    // The state a copy published for its main window ("minimized", "active"...), "" for none.
    QByteArray mainWindowState(qint64 pid = 0) const {
        QDir windows(runDir() + QStringLiteral("/tallix-time/windows"));
        const QString pattern = pid ? QStringLiteral("%1.list").arg(pid) : QStringLiteral("*.list");
        for (const QString& name : windows.entryList({pattern}, QDir::Files)) {
            QFile f(windows.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.contains("\tTallix Time - "))
                    return line.split('\t').value(1);
        }
        return {};
    }

    // Minimises the running copy's main window, as the user does, through the calls another
    // start uses.
    bool minimiseMainWindow() {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runDir().toLocal8Bit());
        static HWND found;
        found = 0;
        EnumWindows(
            [](HWND h, LONG) -> BOOL {
                char title[128];
                GetWindowTextA(h, title, sizeof title);
                if (QByteArray(title).startsWith("Tallix Time - "))
                    found = h;
                return found == 0;
            },
            0);
        const bool done = found != 0 && CloseWindow(found);
        qputenv("XDG_RUNTIME_DIR", saved);
        return done;
    }

    // A second start brings the first copy's minimised window back and activates it, and ends.
    void checkHandOver() {
        QProcess* first = start();
        ASSERT_TRUE(WaitFor([&] { return mainWindowPublished(); }, kStep * 2))
            << first->readAllStandardError().constData();
        ASSERT_TRUE(minimiseMainWindow());
        ASSERT_TRUE(WaitFor([&] { return mainWindowState() == "minimized"; }, kStep))
            << mainWindowState().constData();

        // The second start ends by itself.
        QProcess* second = start();
        ASSERT_TRUE(second->waitForFinished(kStep)) << "the second start must end";
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0);
        EXPECT_TRUE(WaitFor([&] { return mainWindowState() == "active"; }, kStep))
            << "the running copy's window is " << mainWindowState().constData();
        EXPECT_EQ(first->state(), QProcess::Running);
    }

    QTemporaryDir home;
    QString run; // the runtime folder when not home/run
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(RealProgram, ASecondStartHandsOverToTheFirstAndEnds) {
    checkHandOver();
}

// A runtime folder so deep that a socket in it would pass the length a socket path may have:
// the hand-over still works.
TEST_F(RealProgram, TheHandOverWorksFromARuntimeFolderTooDeepForASocket) {
    run = home.path() + QStringLiteral("/run/") + QString(70, u'd');
    QDir().mkpath(run);
    QFile::setPermissions(run,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_GT(QFile::encodeName(run + QStringLiteral("/tallix-time/windows/4194304.sock")).size(),
              108);
    checkHandOver();
    // The short folder the socket went into goes with the copy when it ends.
    QString socket;
    QDir windows(runDir() + QStringLiteral("/tallix-time/windows"));
    for (const QString& name : windows.entryList({QStringLiteral("*.list")}, QDir::Files)) {
        QFile list(windows.filePath(name));
        if (list.open(QIODevice::ReadOnly))
            for (const QByteArray& line : list.readAll().split('\n'))
                if (line.startsWith("@socket\t"))
                    socket = QFile::decodeName(line.mid(8));
    }
    ASSERT_TRUE(socket.startsWith(QStringLiteral("/tmp/tallix-"))) << qPrintable(socket);
    for (auto& p : processes)
        EndGently(*p);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(socket).absolutePath()));
}

TEST_F(RealProgram, TwoStartsTogetherLeaveExactlyOneRunning) {
    for (int round = 0; round < 4; ++round) {
        QProcess* a = start();
        QProcess* b = start();
        ASSERT_TRUE(WaitFor(
            [&] {
                return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning;
            },
            kStep * 2)) // the later one ends once the other is up
            << "round " << round;
        // The one left goes on to its window; the other ended without one.
        QProcess* ended = a->state() == QProcess::NotRunning ? a : b;
        QProcess* left = ended == a ? b : a;
        EXPECT_TRUE(WaitFor([&] { return mainWindowPublished(left->processId()); }, kStep * 2))
            << "round " << round;
        EXPECT_EQ(left->state(), QProcess::Running) << "round " << round;
        EXPECT_EQ(ended->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(ended->exitCode(), 0);
        for (QProcess* p : {a, b}) {
            p->kill();
            p->waitForFinished(kStep);
            EndSession(*p);
        }
    }
}

TEST_F(RealProgram, KillingItWhileItWritesSettingsLeavesAStoreThatLoads) {
    int cutShort = 0;
    for (int delay = 5; delay <= 305; delay += 25) {
        QDir(storeDir()).removeRecursively();
        QProcess* p = start();
        QThread::msleep(delay);
        SignalProcess(p->processId(), SIGKILL);
        p->waitForFinished(kStep);
        EndSession(*p);

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
    ASSERT_TRUE(WaitFor([&] { return mainWindowPublished(p->processId()); }, kStep * 2));
    p->kill();
    p->waitForFinished(kStep);
    const QByteArray log = p->readAllStandardError();
    EXPECT_FALSE(log.contains("cannot be saved")) << log.constData();
    QFile file(storeDir() + QStringLiteral("/registry.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("\"SliderTickStyle\"=\"1\""));
    EXPECT_TRUE(QDir(storeDir()).entryList({QStringLiteral("*damaged*")}, QDir::Files).isEmpty());
    // Temporaries of the killed writers are cleared away.
    EXPECT_TRUE(QDir(storeDir()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files).isEmpty());
    RecordProperty("KilledMidWrite", cutShort);
}

} // namespace
