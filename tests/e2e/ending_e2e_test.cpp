// The real program with its data server on, ended by a signal as a terminal, the session or a
// service manager ends it: each of SIGINT (Ctrl+C), SIGTERM and SIGHUP ends it normally and it
// takes away its data-server socket and its window list; a SIGPIPE leaves it running.
#include "fakes/child_process.h"
#include "fakes/local_socket.h"
#include "fakes/wait_for.h"
#include "seeded_folders.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// How long a step may take on a busy machine; the test goes on as soon as it is done.
constexpr int kStep = 40000;

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SeedFolders(home.path(), {{QStringLiteral("ActivateDDEServer"), "1"}}));
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        program.setProcessEnvironment(env);
        StartInOwnSession(program);
        program.start(QStringLiteral(TALLIX_EXE), {});
        ASSERT_TRUE(program.waitForStarted(kStep));
    }
    void TearDown() override {
        EndSession(program);
        RemoveShortSocketFolders(run());
    }

    QString run() const { return home.path() + QStringLiteral("/run"); }
    QString serverSocket() const { return run() + QStringLiteral("/dde/TallixTime"); }
    QString windowFile(const char* suffix) const {
        return run() + QStringLiteral("/tallix-time/windows/%1.%2")
                           .arg(program.processId())
                           .arg(QLatin1String(suffix));
    }

    // The data server takes a client, and the window list and its socket are there.
    bool upAndServing() const {
        if (!QFile::exists(windowFile("list")) || !QFile::exists(windowFile("sock")))
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

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess program;
};

class ProgramEndedBySignal : public RunningProgram, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramEndedBySignal, EndsNormallyAndRemovesItsSocketsAndLists) {
    const int signalNumber = GetParam();
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep))
        << program.readAllStandardError().constData();
    ASSERT_EQ(::kill(pid_t(program.processId()), signalNumber), 0);
    ASSERT_TRUE(program.waitForFinished(kStep));
    const QByteArray log = program.readAllStandardError();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << log.constData();
    EXPECT_EQ(program.exitCode(), 0) << log.constData();
    EXPECT_FALSE(QFile::exists(serverSocket()));
    EXPECT_FALSE(QFile::exists(windowFile("list")));
    EXPECT_FALSE(QFile::exists(windowFile("sock")));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramEndedBySignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A write to a client that went away is that write's error: a SIGPIPE does not end the program.
TEST_F(RunningProgram, ABrokenPipeLeavesItServing) {
    ASSERT_TRUE(WaitFor([&] { return upAndServing(); }, kStep))
        << program.readAllStandardError().constData();
    ASSERT_EQ(::kill(pid_t(program.processId()), SIGPIPE), 0);
    EXPECT_TRUE(answersTheClient()) << program.readAllStandardError().constData();
    EXPECT_EQ(program.state(), QProcess::Running);
}

} // namespace
