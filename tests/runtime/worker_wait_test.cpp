// The window that says what is under way while work waits on another process: kept on top
// when its owner is, or, without an owner, when a form shown is; never otherwise.
#include "fakes/wait_for.h"
#include "runtime/Form.h"
#include "runtime/WorkerWait.h"

#include <QElapsedTimer>
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

} // namespace
