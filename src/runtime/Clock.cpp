#include "Clock.h"

#include <algorithm>

namespace {
std::function<QDateTime()> gClock;
// Past the boundary by this much, so a timer that fires a little early still sees the new
// second.
constexpr int kPastTheSecondMs = 2;
} // namespace

QDateTime Now() {
    return gClock ? gClock() : QDateTime::currentDateTime();
}

namespace runtime {
void SetClock(std::function<QDateTime()> clock) {
    gClock = std::move(clock);
}
void SetClock(const QDateTime& fixed) {
    gClock = [fixed] { return fixed; };
}

SecondTimer::SecondTimer(QObject* parent) : QTimer(parent) {
    setSingleShot(true);
    setTimerType(Qt::PreciseTimer);
    setInterval(DelayToNextSecond(Now()));
    // Connected first, so it runs before the receivers connected later: a receiver that stops
    // the timer keeps it stopped.
    connect(this, &QTimer::timeout, this, [this] { start(); });
}

void SecondTimer::start() {
    QTimer::start(DelayToNextSecond(Now()));
}

int SecondTimer::DelayToNextSecond(const QDateTime& now) {
    // Never more than a second: started on the boundary itself, it wakes on the next one.
    return std::min(1000, 1000 - now.time().msec() + kPastTheSecondMs);
}
} // namespace runtime
