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

} // namespace
