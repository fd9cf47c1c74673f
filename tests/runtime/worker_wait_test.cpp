// The window that says what is under way while work waits on another process: kept on top
// when its owner is, or, without an owner, when a form shown is; never otherwise. And the end of
// the program while work waits: the process is gone at the last form's unload, whether the
// work still waits or ended meanwhile, and the code that waited never goes on.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "runtime/Form.h"
#include "runtime/WorkerWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <thread>

namespace {

struct WaitCase {
    const char* what;
    bool mainOnTop;   // the first form shown, kept on top or not
    bool ownedByMain; // the waiting window's owner: that form, or none
    bool otherOnTop;  // a second form shown, kept on top or not
    bool expectOnTop;
};

void PrintTo(const WaitCase& c, std::ostream* os) {
    *os << c.what;
}

class WaitingWindowOnTop : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitingWindowOnTop, FollowsItsOwnerElseTheFormsShown) {
    const WaitCase& c = GetParam();
    auto main = std::make_unique<Form>(QStringLiteral("frmMain"));
    auto other = std::make_unique<Form>(QStringLiteral("frmOther"));
    main->setWindowFlag(Qt::WindowStaysOnTopHint, c.mainOnTop);
    other->setWindowFlag(Qt::WindowStaysOnTopHint, c.otherOnTop);
    main->show();
    other->show();

    // The work lasts until the window has been seen (or a deadline of its own).
    std::atomic<bool> seen{false};
    bool onTop = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (QWidget* w = runtime::WaitingWindow(); w && !seen) {
            onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            seen = true;
        }
    });
    look.start(20);
    runtime::RunWhileWaiting(c.ownedByMain ? main.get() : nullptr, QStringLiteral("Working..."),
                             [&seen] {
                                 QElapsedTimer waited;
                                 waited.start();
                                 while (!seen && waited.elapsed() < 30000)
                                     std::this_thread::sleep_for(std::chrono::milliseconds(10));
                             });
    ASSERT_TRUE(seen) << "no waiting window";
    EXPECT_EQ(onTop, c.expectOnTop);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitingWindowOnTop,
    ::testing::Values(WaitCase{"NoOwnerAFormOnTop", true, false, false, true},
                      WaitCase{"NoOwnerNoFormOnTop", false, false, false, false},
                      WaitCase{"OwnerOnTop", true, true, false, true},
                      WaitCase{"OwnerNotOnTopAnotherFormOnTop", false, true, true, false}),
    [](const auto& info) { return std::string(info.param.what); });

// The last form unloaded while work waits, as File > Exit and Yes unloads the main window while
// a print waits: with the work held (a server that never answers) and with the work ended while
// the exit question was up (the unload then comes from the question's own loop).
struct EndCase {
    const char* what;
    bool workEndsDuringQuestion;
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.what;
}

class EndWhileWorkWaits : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndWhileWorkWaits, TheProcessEndsAtTheLastUnloadAndTheWaiterNeverGoesOn) {
    const EndCase c = GetParam();
    QElapsedTimer took;
    took.start();
    // In a child: the process ends (exit code 0 is the end; 3: the code that waited went on;
    // -1: it still waited after 20 s and was killed).
    const int code = RunInChild(
        [c] {
            auto* main = new Form(QStringLiteral("frmMain"));
            main->show();
            auto questionUp = std::make_shared<std::atomic<bool>>(false);
            auto ended = std::make_shared<std::atomic<bool>>(false);
            QTimer::singleShot(100, main, [main, c, questionUp, ended] {
                // The exit question: a loop of its own, during which the work may end.
                *questionUp = true;
                QElapsedTimer asked;
                asked.start();
                while (c.workEndsDuringQuestion && !*ended && asked.elapsed() < 10000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                main->Unload(); // answered Yes
            });
            runtime::RunWhileWaiting(main, QStringLiteral("Working..."), [c, questionUp, ended] {
                for (;;) {
                    if (c.workEndsDuringQuestion && *questionUp)
                        break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                *ended = true;
            });
            return 3;
        },
        20000);
    EXPECT_EQ(code, 0);
    EXPECT_LT(took.elapsed(), 10000);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndWhileWorkWaits,
                         ::testing::Values(EndCase{"WorkHeld", false},
                                           EndCase{"WorkEndedDuringTheQuestion", true}),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
