#pragma once
// The current date and time as the program sees it: the system clock, or a clock a test set.
#include <QDateTime>
#include <functional>

QDateTime Now();

namespace runtime {
// Tests set the clock: a function giving the time, or a fixed instant. nullptr goes back to
// the system clock.
void SetClock(std::function<QDateTime()> clock);
void SetClock(const QDateTime& fixed);
} // namespace runtime
