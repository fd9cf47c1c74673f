// The real program ended by a signal as a terminal, the session or a service manager ends it:
// each of SIGINT (Ctrl+C), SIGTERM and SIGHUP ends it normally, with status 0, and it takes away
// its data-server socket and its window list, whenever it comes: while the program waits for
// another copy, reads its settings, shows its splash or loads its window, runs, or is already
// ending. A SIGPIPE leaves it running, and so do SIGHUP and SIGINT when it was started with them
// ignored.
#include "fakes/child_process.h"
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "platform/registry.h"
#include "seeded_folders.h"
#include "signal_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// How long a step may take on a busy machine; the test goes on as soon as it is done.
constexpr int kStep = 40000;

// Fresh folders for the program, and the program started in them.
class ProgramFolders : public ::testing::Test {
protected:
    void SetUp() override {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
    }
    void TearDown() override {
        if (storeLock >= 0)
            ::close(storeLock);
        for (auto& p : started)
            EndSession(*p);
        RemoveShortSocketFolders(run());
    }

    QString run() const { return home.path() + QStringLiteral("/run"); }
    QString settingsFolder() const { return home.path() + QStringLiteral("/config/tallix-time"); }
    QString serverSocket() const { return run() + QStringLiteral("/dde/TallixTime"); }
    QString windowFile(const QProcess& p, const char* suffix) const {
        return run() + QStringLiteral("/tallix-time/windows/%1.%2")
                           .arg(p.processId())
                           .arg(QLatin1String(suffix));
    }

    // Starts a copy in a session of its own, its log and output in one channel; through the
    // launcher's command (which ends by starting the program it is given), when there is one.
    QProcess& start(const QProcessEnvironment& environment, QStringList launcher = {}) {
        started.push_back(std::make_unique<QProcess>());
        QProcess& p = *started.back();
        p.setProcessEnvironment(environment);
        p.setProcessChannelMode(QProcess::MergedChannels);
        StartInOwnSession(p);
        launcher << QStringLiteral(TALLIX_EXE);
        p.start(launcher.takeFirst(), launcher);
        EXPECT_TRUE(p.waitForStarted(kStep));
        return p;
    }

    // Holds the settings store's lock, as another writer would: a start that writes its
    // settings waits for it.
    void holdStore() {
        ASSERT_TRUE(QDir().mkpath(settingsFolder()));
        storeLock = ::open(QFile::encodeName(settingsFolder() + QStringLiteral("/registry.lock")),
                           O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(storeLock, 0);
        ASSERT_EQ(::flock(storeLock, LOCK_EX), 0);
    }
    void releaseStore() {
        ::close(storeLock);
        storeLock = -1;
    }

    // Whether the process waits for the store's lock, as the kernel's list of locks shows.
    bool waitsForTheStore(const QProcess& p) const {
        struct stat st {};
        if (::stat(QFile::encodeName(settingsFolder() + QStringLiteral("/registry.lock")), &st))
            return false;
        QFile locks(QStringLiteral("/proc/locks"));
        if (!locks.open(QIODevice::ReadOnly))
            return false;
        const QByteArray waiter = QByteArray(" -> FLOCK ");
        const QByteArray pid = ' ' + QByteArray::number(p.processId()) + ' ';
        const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino)) + ' ';
        for (const QByteArray& line : locks.readAll().split('\n'))
            if (line.contains(waiter) && line.contains(pid) && line.contains(inode))
                return true;
        return false;
    }

    // The lines of the window list the process published ("" when it has none).
    QByteArray windowList(const QProcess& p) const {
        QFile f(windowFile(p, "list"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The program ended normally, with status 0, and left none of its files behind.
    void expectEndedCleanly(QProcess& p) {
        const qint64 pid = p.processId();
        ASSERT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(kStep))
            << "it did not end";
        const QByteArray log = p.readAll();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << log.constData();
        EXPECT_EQ(p.exitCode(), 0) << log.constData();
        const QString windows = run() + QStringLiteral("/tallix-time/windows/%1.").arg(pid);
        EXPECT_FALSE(QFile::exists(windows + QStringLiteral("list")));
        EXPECT_FALSE(QFile::exists(windows + QStringLiteral("sock")));
        EXPECT_FALSE(QFile::exists(serverSocket()));
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    int storeLock = -1;
    std::vector<std::unique_ptr<QProcess>> started;
};

class RunningProgram : public ProgramFolders {
protected:
    void SetUp() override {
        ProgramFolders::SetUp();
        ASSERT_TRUE(SeedFolders(home.path(), {{QStringLiteral("ActivateDDEServer"), "1"}}));
        program = &start(env);
    }

    // The data server takes a client, and the window list and its socket are there.
    bool upAndServing() const {
        if (!QFile::exists(windowFile(*program, "list")) ||
            !QFile::exists(windowFile(*program, "sock")))
            return false;
        const int fd = ConnectLocal(serverSocket());
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }

    // Whether the data server answers a client with its list of items.
    bool answersTheClient() const {
        QProcess client;
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(TALLIX_DDE_CLIENT), {QStringLiteral("TopicItemList")});
        return client.waitForFinished(kStep) && client.exitStatus() == QProcess::NormalExit &&
               client.exitCode() == 0 && client.readAllStandardOutput().contains("\t");
    }

    QProcess* program = nullptr;
};

class ProgramEndedBySignal : public RunningProgram, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramEndedBySignal, EndsNormallyAndRemovesItsSocketsAndLists) {
    const int signalNumber = GetParam();
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep)) << program->readAll().constData();
    ASSERT_EQ(SignalProcess(program->processId(), signalNumber), 0);
    expectEndedCleanly(*program);
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramEndedBySignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// Ctrl+C pressed again and again while the program ends (as on a loaded machine, where the end
// takes a while): the first signal ends it, the others change nothing.
class SignalsWhileItEnds : public RunningProgram, public ::testing::WithParamInterface<int> {};

TEST_P(SignalsWhileItEnds, TheFirstEndsItTheOthersAreIgnored) {
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep)) << program->readAll().constData();
    const pid_t pid = pid_t(program->processId());
    ASSERT_EQ(SignalProcess(pid, GetParam()), 0);
    // SIGINT after SIGINT until it is gone; the process is reaped only inside waitForFinished,
    // so its number is never another process's when it is signalled.
    int sent = 0;
    while (program->state() == QProcess::Running && sent < 100000) {
        SignalProcess(pid, SIGINT);
        ++sent;
        program->waitForFinished(1);
    }
    EXPECT_GT(sent, 1) << "no signal reached it while it ended";
    expectEndedCleanly(*program);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalsWhileItEnds, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A write to a client that went away is that write's error: a SIGPIPE does not end the program.
TEST_F(RunningProgram, ABrokenPipeLeavesItServing) {
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep)) << program->readAll().constData();
    ASSERT_EQ(SignalProcess(program->processId(), SIGPIPE), 0);
    EXPECT_TRUE(answersTheClient()) << program->readAll().constData();
    EXPECT_EQ(program->state(), QProcess::Running);
}

// ---- Signals the program was started with ignored ------------------------------------------

// Whether the signal is in one of the masks the kernel shows for the process in
// /proc/PID/status ("SigIgn", "SigCgt", "SigPnd", "ShdPnd").
bool inMask(const QProcess& p, const char* mask, int signalNumber) {
    QFile status(QStringLiteral("/proc/%1/status").arg(p.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(QByteArray(mask) + ':'))
            return (line.mid(line.indexOf(':') + 1).trimmed().toULongLong(nullptr, 16) >>
                    (signalNumber - 1)) &
                   1;
    return false;
}

// `nohup tallix-time &` (SIGHUP ignored) and a script's `tallix-time &` (SIGINT ignored): the
// signal stays ignored, the program goes on serving, and SIGTERM still ends it cleanly. Started
// with SIGTERM ignored, SIGTERM ends it all the same.
struct InheritedCase {
    const char* name;
    int ignored; // the signal the program is started with ignored, and then sent
    bool ends;   // whether that signal ends it
};

void PrintTo(const InheritedCase& c, std::ostream* os) {
    *os << c.name;
}

class StartedIgnoring : public RunningProgram, public ::testing::WithParamInterface<InheritedCase> {
protected:
    void SetUp() override {
        ProgramFolders::SetUp();
        ASSERT_TRUE(SeedFolders(home.path(), {{QStringLiteral("ActivateDDEServer"), "1"}}));
        program = &start(
            env, {QStringLiteral("env"), QStringLiteral("--ignore-signal=") +
                                             QLatin1String(sigabbrev_np(GetParam().ignored))});
    }
};

TEST_P(StartedIgnoring, TheSignalStaysIgnoredAndSigtermEndsIt) {
    const InheritedCase& c = GetParam();
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep)) << program->readAll().constData();
    const pid_t pid = pid_t(program->processId());
    ASSERT_GT(pid, 0) << "it ended: " << program->readAll().constData();
    if (c.ends) {
        ASSERT_TRUE(inMask(*program, "SigCgt", c.ignored)) << "not caught";
        ASSERT_EQ(SignalProcess(pid, c.ignored), 0);
        expectEndedCleanly(*program);
        return;
    }
    EXPECT_TRUE(inMask(*program, "SigIgn", c.ignored)) << "the program set its own action";
    ASSERT_EQ(SignalProcess(pid, c.ignored), 0);
    // Delivered (no longer pending), then two clients served one after the other, each a round
    // through the event loop that would have seen a caught signal first.
    EXPECT_TRUE(WaitFor(
        [&] {
            return !inMask(*program, "SigPnd", c.ignored) && !inMask(*program, "ShdPnd", c.ignored);
        },
        kStep));
    EXPECT_TRUE(answersTheClient()) << program->readAll().constData();
    EXPECT_TRUE(answersTheClient()) << program->readAll().constData();
    ASSERT_EQ(program->state(), QProcess::Running) << program->readAll().constData();
    EXPECT_TRUE(upAndServing());
    ASSERT_EQ(SignalProcess(pid, SIGTERM), 0);
    expectEndedCleanly(*program);
}

INSTANTIATE_TEST_SUITE_P(Signals, StartedIgnoring,
                         ::testing::Values(InheritedCase{"NohupHUP", SIGHUP, false},
                                           InheritedCase{"ScriptBackgroundINT", SIGINT, false},
                                           InheritedCase{"TERM", SIGTERM, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- An end signal while the program starts ------------------------------------------------

// The moments of a start, each held by what the start waits for, so the signal comes there.
enum class Moment {
    WaitingForTheRunningCopy, // another copy holds the mutex and shows no window yet
    WritingItsSettings,       // the first start's defaults wait for the store's lock
    ShowingTheSplash,         // the splash is up; the main window does not exist yet
    LoadingTheWindow,         // the main window's load tells that the data server cannot start
};

const char* nameOf(Moment m) {
    switch (m) {
    case Moment::WaitingForTheRunningCopy:
        return "WaitingForTheRunningCopy";
    case Moment::WritingItsSettings:
        return "WritingItsSettings";
    case Moment::ShowingTheSplash:
        return "ShowingTheSplash";
    case Moment::LoadingTheWindow:
        return "LoadingTheWindow";
    }
    return "";
}

class SignalWhileStarting : public ProgramFolders,
                            public ::testing::WithParamInterface<std::tuple<Moment, int>> {
protected:
    // Starts the copy the signal is for and waits until it has come to the moment.
    QProcess* startAndReach(Moment moment) {
        QProcessEnvironment environment = env;
        switch (moment) {
        case Moment::WaitingForTheRunningCopy: {
            holdStore();
            QProcess& first = start(env);
            EXPECT_TRUE(WaitFor([&] { return waitsForTheStore(first); }, kStep))
                << "the first copy does not wait for the settings";
            environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                               QStringLiteral("tallix.handover.debug=true"));
            QProcess& second = start(environment);
            QByteArray said;
            EXPECT_TRUE(WaitFor(
                [&] {
                    said += second.readAll();
                    return said.contains("still starting");
                },
                kStep))
                << said.constData();
            return &second;
        }
        case Moment::WritingItsSettings: {
            holdStore();
            QProcess& p = start(env);
            EXPECT_TRUE(WaitFor([&] { return waitsForTheStore(p); }, kStep))
                << p.readAll().constData();
            return &p;
        }
        case Moment::ShowingTheSplash: {
            EXPECT_TRUE(SeedFolders(home.path(), {{QStringLiteral("DisplaySplashScreen"), "1"},
                                                  {QStringLiteral("ActivateDDEServer"), "1"}}));
            QProcess& p = start(env);
            // The splash is published before the main window exists.
            EXPECT_TRUE(WaitFor([&] { return !windowList(p).isEmpty(); }, kStep))
                << p.readAll().constData();
            EXPECT_FALSE(windowList(p).contains("\tTallix Time - ")) << "past the splash";
            return &p;
        }
        case Moment::LoadingTheWindow: {
            EXPECT_TRUE(SeedFolders(home.path(), {{QStringLiteral("ActivateDDEServer"), "1"}}));
            // A data-server folder open to others: the server refuses it, and the load says so
            // in a message nobody answers.
            EXPECT_TRUE(QDir().mkpath(run() + QStringLiteral("/dde")));
            QFile::setPermissions(run() + QStringLiteral("/dde"),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther);
            QProcess& p = start(env);
            EXPECT_TRUE(WaitFor([&] { return windowList(p).contains("\tTallix Time - "); }, kStep))
                << p.readAll().constData();
            return &p;
        }
        }
        return nullptr;
    }
};

TEST_P(SignalWhileStarting, EndsNormallyAndLeavesNothingBehind) {
    const auto [moment, signalNumber] = GetParam();
    QProcess* p = startAndReach(moment);
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(p->state(), QProcess::Running) << p->readAll().constData();
    ASSERT_EQ(SignalProcess(p->processId(), signalNumber), 0);
    if (moment == Moment::WritingItsSettings) {
        // The signal waits while the defaults wait; written, they are the whole file.
        releaseStore();
    }
    expectEndedCleanly(*p);
    if (moment == Moment::WritingItsSettings) {
        const QStringList left = QDir(settingsFolder()).entryList(QDir::Files);
        EXPECT_TRUE(left.filter(QStringLiteral(".tmp-")).isEmpty())
            << left.join(u' ').toStdString();
        auto store = platform::MakeFileRegistryStore(settingsFolder(),
                                                     home.path() + QStringLiteral("/autostart"));
        EXPECT_TRUE(store->keyExists(QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time")));
        const platform::RegistryStoreTrouble trouble = store->trouble();
        EXPECT_TRUE(trouble.damagedCopy.isEmpty()) << trouble.damagedCopy.toStdString();
        EXPECT_TRUE(trouble.notRead.isEmpty()) << trouble.notRead.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Moments, SignalWhileStarting,
                         ::testing::Combine(::testing::Values(Moment::WaitingForTheRunningCopy,
                                                              Moment::WritingItsSettings,
                                                              Moment::ShowingTheSplash,
                                                              Moment::LoadingTheWindow),
                                            ::testing::Values(SIGINT, SIGTERM)),
                         [](const auto& info) {
                             return std::string(nameOf(std::get<0>(info.param))) + "_" +
                                    sigabbrev_np(std::get<1>(info.param));
                         });

} // namespace
