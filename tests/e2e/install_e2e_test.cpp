// A real install: `cmake --install` into a temporary prefix, the tree moved elsewhere, and the
// moved program started headless on fresh folders until its data server answers with times
// computed by the installed library. `make install` wraps the same command.
#include "fakes/child_process.h"
#include "seeded_folders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The value of a key of a desktop entry's main group.
QString entryValue(const QString& path, const QString& key) {
    for (const QByteArray& line : readAll(path).split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return QString::fromUtf8(line.mid(key.size() + 1)).trimmed();
    return {};
}

TEST(Install, TheMovedTreeRunsAndServesRealTimes) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString first = root.filePath(QStringLiteral("first"));
    QProcess install;
    install.start(QStringLiteral(TALLIX_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(TALLIX_BUILD_DIR),
                   QStringLiteral("--prefix"), first});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();

    // Moved as a whole: nothing may point back at where it was installed.
    const QString prefix = root.filePath(QStringLiteral("elsewhere/tallix"));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("elsewhere"))));
    ASSERT_TRUE(QDir().rename(first, prefix));
    const QString program = prefix + QStringLiteral("/bin/tallix-time");
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    EXPECT_TRUE(QFile::exists(prefix + QStringLiteral("/lib/libtallixtime.so")));
    EXPECT_FALSE(QFile::exists(prefix + QStringLiteral("/bin/libtallixtime.so")));
    EXPECT_GT(QFileInfo(prefix + QStringLiteral("/share/tallix-time/TallixTime.xml")).size(),
              1000000);
    const QString launcher = prefix + QStringLiteral("/share/applications/tallix-time.desktop");
    EXPECT_EQ(entryValue(launcher, QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(entryValue(launcher, QStringLiteral("Exec")), QStringLiteral("tallix-time"));
    EXPECT_EQ(entryValue(launcher, QStringLiteral("Icon")), QStringLiteral("tallix-time"));
    EXPECT_FALSE(entryValue(launcher, QStringLiteral("Comment")).isEmpty());
    const QImage icon(prefix + QStringLiteral("/share/icons/hicolor/256x256/apps/tallix-time.png"));
    EXPECT_EQ(icon.size(), QSize(256, 256));

    // Fresh folders, and the data server switched on in the settings.
    const QString config = root.filePath(QStringLiteral("config"));
    const QString run = root.filePath(QStringLiteral("run"));
    ASSERT_TRUE(SeedFolders(root.path(), {{QStringLiteral("ActivateDDEServer"), "1"}}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
    QProcess tallix;
    tallix.setProcessEnvironment(env);
    StartInOwnSession(tallix);
    tallix.start(program, {});
    ASSERT_TRUE(tallix.waitForStarted(30000));

    const auto client = [&](const QStringList& items, QString* out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALLIX_DDE_CLIENT), items);
        const bool done = p.waitForFinished(30000);
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QStringList items = {QStringLiteral("Fajr"), QStringLiteral("Dhuhr"),
                               QStringLiteral("Ishaa"), QStringLiteral("Qiblah")};
    QString answer;
    QElapsedTimer waited;
    waited.start();
    while (client(items, &answer) != 0 && waited.elapsed() < 90000 &&
           tallix.state() == QProcess::Running)
        QThread::msleep(100);
    const QStringList lines = answer.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << answer.toStdString() << tallix.readAllStandardError().constData();
    // Times the library computed, not "N/A" for a library that was not found.
    const QRegularExpression time(QStringLiteral("^\\d{1,2}:\\d\\d(:\\d\\d)?( ?[AP]M)?$"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(time.match(lines[i].trimmed()).hasMatch()) << answer.toStdString();
    EXPECT_TRUE(lines[3].contains(QRegularExpression(QStringLiteral("\\d"))))
        << answer.toStdString();

    // The log-on entry names the program that was started.
    const QString autostart = config + QStringLiteral("/autostart/tallix-time.desktop");
    EXPECT_TRUE(entryValue(autostart, QStringLiteral("Exec")).contains(program))
        << readAll(autostart).constData();

    tallix.kill();
    tallix.waitForFinished(3000);
}

TEST(Install, MakeInstallWrapsTheCMakeInstallIntoPrefix) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("make"), "make"));
    QTemporaryDir dir;
    const QString build = dir.filePath(QStringLiteral("build"));
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    const auto dryRun = [&](const QStringList& extra) {
        QProcess make;
        make.start(QStringLiteral("make"),
                   QStringList{QStringLiteral("-n"), QStringLiteral("-C"),
                               QStringLiteral(TALLIX_SOURCE_DIR), QStringLiteral("install"),
                               QStringLiteral("BUILD=") + build} +
                       extra);
        make.waitForFinished(30000);
        EXPECT_EQ(make.exitCode(), 0) << make.readAllStandardError().constData();
        return make.readAllStandardOutput();
    };
    const QByteArray out = dryRun({QStringLiteral("PREFIX=") + prefix});
    EXPECT_TRUE(out.contains("--target tallix-time tallixtime")) << out.constData();
    EXPECT_TRUE(out.contains(
        QStringLiteral("cmake --install %1 --prefix \"%2\"").arg(build, prefix).toUtf8()))
        << out.constData();
    EXPECT_TRUE(dryRun({}).contains("--prefix \"/usr/local\""));
}

} // namespace
