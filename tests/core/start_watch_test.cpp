// How long a second start waits on a copy that is still starting: as long as that copy makes
// progress, and a minute past its last sign of it.
#include "core/mMain.h"
#include "core/start_watch.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace {

using platform::ProcessSample;

struct Case {
    const char* what;
    // What the copy shows at each look, one a second for five minutes.
    ProcessSample (*at)(int second);
    long long pid;
    int stuckAfter; // the second the watch says stuck, -1 for never
};

const Case kCases[] = {
    {"uses the processor, sleeping between",
     [](int s) {
         return ProcessSample{true, 'S', static_cast<unsigned long long>(s / 5)};
     },
     42, -1},
    {"waits on a slow disk",
     [](int) {
         return ProcessSample{true, 'D', 7};
     },
     42, -1},
    {"runs",
     [](int) {
         return ProcessSample{true, 'R', 7};
     },
     42, -1},
    {"sleeps without end",
     [](int) {
         return ProcessSample{true, 'S', 7};
     },
     42, 60},
    {"is stopped",
     [](int) {
         return ProcessSample{true, 'T', 7};
     },
     42, 60},
    {"cannot be found", [](int) { return ProcessSample{}; }, 0, 60},
    {"works for two minutes, then sleeps",
     [](int s) {
         return ProcessSample{true, 'S', static_cast<unsigned long long>(s < 120 ? s : 120)};
     },
     42, 180},
};

TEST(StartWatch, WaitsWhileTheCopyMakesProgressAndAMinuteAfter) {
    for (const Case& c : kCases) {
        StartWatch watch;
        int stuck = -1;
        for (int second = 0; second <= 300 && stuck < 0; ++second)
            if (watch.stuck(second * 1000LL, c.pid, c.at(second)))
                stuck = second;
        EXPECT_EQ(stuck, c.stuckAfter) << c.what;
    }
}

// Another process in the mutex (the first copy ended and another start took its place) is
// watched afresh.
TEST(StartWatch, ANewHolderStartsTheWatchAfresh) {
    StartWatch watch;
    const ProcessSample asleep{true, 'S', 7};
    for (int second = 0; second < 59; ++second)
        ASSERT_FALSE(watch.stuck(second * 1000LL, 42, asleep));
    EXPECT_FALSE(watch.stuck(59000, 43, asleep));
    EXPECT_FALSE(watch.stuck(118000, 43, asleep));
    EXPECT_TRUE(watch.stuck(119000, 43, asleep));
}

// A start that gives up says why and names the copy to end; the box is saved as a screenshot.
TEST(StartWatch, TheMessageOfAStuckCopyNamesIt) {
    QString text;
    QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
        QDir().mkpath(dir);
        EXPECT_TRUE(box->grab().save(dir + QStringLiteral("/stuck_running_copy.png")));
        box->accept();
    });
    ReportStuckRunningCopy(4242);
    EXPECT_TRUE(text.contains(QStringLiteral("(process 4242)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("a minute"))) << text.toStdString();
}

} // namespace
