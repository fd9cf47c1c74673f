// The main of every Qt test program: the offscreen platform, and per-user folders of its own
// so that no test touches the real settings or printers or finds a running copy of the
// program. A helper process a test starts (--helper NAME) runs here too, with the folders its
// test gave it.
#include "child_process.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
// After each test, passed or failed: what it started in sessions of their own ends with it.
class SessionsEndWithTheTest : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo& test) override {
        if (const int left = EndAllSessions())
            fprintf(stderr, "%s.%s left %d processes running; they were ended\n",
                    test.test_suite_name(), test.name(), left);
    }
};
} // namespace

int main(int argc, char** argv) {
    // The hang-up and Ctrl+C signals at their default actions, as a terminal starts a program,
    // whatever this run was started with (nohup, a script's background job): the program keeps
    // a signal it inherits ignored, and so would each copy the tests start.
    std::signal(SIGHUP, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool helper = argc >= 3 && QByteArray(argv[1]) == "--helper";
    QTemporaryDir home;
    if (!helper) {
        // No bus unless a test starts one: a program finding no address at all would have one
        // started for it (dbus-launch), which outlives the test.
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            qputenv("DBUS_SESSION_BUS_ADDRESS",
                    ("unix:path=" + home.path() + QStringLiteral("/no-bus")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toLocal8Bit());
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.path() + QStringLiteral("/run"), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        // No print server until a test starts its own: no test reaches the machine's printers.
        qputenv("CUPS_SERVER", (home.path() + QStringLiteral("/run/no-cups.sock")).toLocal8Bit());
    }
    qputenv("TALLIX_ALSA_DEVICE", "null");
    QApplication app(argc, argv);
    // "--helper NAME ...": this run is a process a test started, not a test run.
    if (int code = 0; RunTestHelperFromCommandLine(argc, argv, &code))
        return code;
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new SessionsEndWithTheTest);
    return RUN_ALL_TESTS();
}
