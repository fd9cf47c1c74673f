// The main of every Qt test program: the offscreen platform, and per-user folders of its own
// so that no test touches the real settings or printers or finds a running copy of the
// program. A helper process a test starts (--helper NAME) runs here too, with the folders its
// test gave it.
#include "child_process.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool helper = argc >= 3 && QByteArray(argv[1]) == "--helper";
    QTemporaryDir home;
    if (!helper) {
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
    return RUN_ALL_TESTS();
}
