// The real program with its data server on, read by the command-line client as another program
// would: all fourteen items, then the countdown followed in an advise loop.
#include "fakes/child_process.h"
#include "seeded_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(DataServer, TheClientReadsEveryItemAndFollowsTheCountdown) {
    QTemporaryDir home;
    const QString config = home.path() + QStringLiteral("/config");
    const QString run = home.path() + QStringLiteral("/run");
    ASSERT_TRUE(SeedFolders(home.path(), {{QStringLiteral("ActivateDDEServer"), "1"},
                                          {QStringLiteral("DDEAdviseRate"), "0"}}));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
    QProcess program;
    program.setProcessEnvironment(env);
    StartInOwnSession(program);
    program.start(QStringLiteral(TALLIX_EXE), {});
    ASSERT_TRUE(program.waitForStarted(30000));

    const auto client = [&](const QStringList& args, QString* out) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALLIX_DDE_CLIENT), args);
        const bool done = p.waitForFinished(30000);
        *out = QString::fromUtf8(p.readAllStandardOutput());
        return done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString list;
    QElapsedTimer waited;
    waited.start();
    while (client({QStringLiteral("TopicItemList")}, &list) != 0 && waited.elapsed() < 90000)
        QThread::msleep(50);
    const QStringList items = list.trimmed().split(QLatin1Char('\t'));
    ASSERT_EQ(items.size(), 14) << list.toStdString();

    QString values;
    ASSERT_EQ(client(items, &values), 0) << "every item answers";
    const QStringList lines = values.split(QLatin1Char('\n'));
    EXPECT_TRUE(QStringList({"FAJR", "SHUROOQ", "DHUHR", "ASR", "MAGHRIB", "ISHAA"})
                    .contains(lines.value(1)))
        << values.toStdString();
    EXPECT_TRUE(lines.value(12).startsWith(QStringLiteral("Location: "))) << values.toStdString();
    EXPECT_EQ(client({QStringLiteral("Sunset")}, &values), 1);

    // Pushes a second apart: the countdown moves on. A timer's second may be a little short
    // and two pushes may fall into one second of the clock, so it is the last of four that has
    // to have moved.
    QString pushes;
    // The options before the item, as the README gives them.
    ASSERT_EQ(client({QStringLiteral("-a"), QStringLiteral("-n"), QStringLiteral("4"),
                      QStringLiteral("timeremainingseconds")},
                     &pushes),
              0);
    const QStringList counts = pushes.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(counts.size(), 4) << pushes.toStdString();
    const int first = counts.first().toInt(), last = counts.last().toInt();
    EXPECT_GT(first, 0);
    EXPECT_TRUE(last < first || last > 80000) // or the next prayer came meanwhile
        << pushes.toStdString();

    program.kill();
    program.waitForFinished(3000);
}

} // namespace
