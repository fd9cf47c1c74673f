#pragma once
// The current date and time as the program sees it: the system clock, or a clock a test set.
#include <QDateTime>
#include <QTimer>
#include <functional>

QDateTime Now();

namespace runtime {
// Tests set the clock: a function giving the time, or a fixed instant. nullptr goes back to
// the system clock.
void SetClock(std::function<QDateTime()> clock);
void SetClock(const QDateTime& fixed);

// A timer that wakes once a second, just after each new second of Now() begins, so a clock
// shown by it never lags behind the wall clock. start() (and every timeout, before the
// timeout's other receivers run) arms it for the next whole second; stop() stops it.
class SecondTimer : public QTimer {
public:
    explicit SecondTimer(QObject* parent = nullptr);
    void start();
    // Milliseconds from the instant to just after the next whole second (at most 1000).
    static int DelayToNextSecond(const QDateTime& now);
};
} // namespace runtime
