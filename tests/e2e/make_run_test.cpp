// `make run` as a new user types it: it builds the program and its library only, not the tests
// and benchmarks, and tells where the window is and how to stop the program.
#include "fakes/child_process.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(MakeRun, BuildsOnlyTheProgramAndSaysWhereItIs) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("make"), "make"));
    QTemporaryDir build;
    QProcess make;
    // A dry run: the commands are printed, none is carried out.
    make.start(QStringLiteral("make"),
               {QStringLiteral("-n"), QStringLiteral("-C"), QStringLiteral(TALLIX_SOURCE_DIR),
                QStringLiteral("run"), QStringLiteral("BUILD=") + build.path()});
    ASSERT_TRUE(make.waitForFinished(30000));
    const QByteArray out = make.readAllStandardOutput();
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().constData();
    int builds = 0;
    for (const QByteArray& line : out.split('\n')) {
        if (!line.contains("cmake --build"))
            continue;
        ++builds;
        EXPECT_TRUE(line.contains("--target tallix-time tallixtime")) << line.constData();
    }
    EXPECT_EQ(builds, 1) << out.constData();
    EXPECT_TRUE(out.contains("virtual display")) << out.constData();
    EXPECT_TRUE(out.contains("Ctrl+C")) << out.constData();
}

// The Debian packages a dry run of the target would install when missing.
QStringList packagesOf(const char* target) {
    QProcess make;
    make.start(QStringLiteral("make"), {QStringLiteral("-n"), QStringLiteral("-C"),
                                        QStringLiteral(TALLIX_SOURCE_DIR), QLatin1String(target)});
    if (!make.waitForFinished(30000) || make.exitCode() != 0)
        return {};
    for (const QByteArray& line : make.readAllStandardOutput().split('\n'))
        if (line.contains("dpkg-query") && line.contains("for p in "))
            return QString::fromUtf8(line.mid(line.indexOf("for p in ") + 9))
                .section(u';', 0, 0)
                .split(u' ', Qt::SkipEmptyParts);
    return {};
}

// `make run` (and `make install`) install what building and running the program takes, not
// what only the tests use; `make test` installs both.
TEST(MakeRun, InstallsOnlyWhatTheProgramNeeds) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("make"), "make"));
    const QStringList run = packagesOf("run"), install = packagesOf("install"),
                      test = packagesOf("test");
    ASSERT_FALSE(run.isEmpty());
    EXPECT_EQ(install, run);
    // Building: the compiler, CMake, the libraries the program links; running: Qt's Wayland
    // plugin and the virtual display.
    for (const char* needed : {"build-essential", "cmake", "qt6-base-dev", "libasound2-dev",
                               "libcups2-dev", "libxcb1-dev", "qt6-wayland", "xvfb"}) {
        EXPECT_TRUE(run.contains(QLatin1String(needed))) << needed;
        EXPECT_TRUE(test.contains(QLatin1String(needed))) << needed;
    }
    // Only the tests: their frameworks, a print server, a window manager and tray, CJK fonts.
    for (const char* testsOnly :
         {"libgtest-dev", "libgmock-dev", "libbenchmark-dev", "cups", "cups-filters",
          "cups-ipp-utils", "openbox", "trayer", "xdotool", "fonts-noto-cjk", "poppler-utils",
          "x11-xserver-utils", "weston"}) {
        EXPECT_FALSE(run.contains(QLatin1String(testsOnly))) << testsOnly;
        EXPECT_TRUE(test.contains(QLatin1String(testsOnly))) << testsOnly;
    }
}

} // namespace
