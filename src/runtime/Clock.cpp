#include "Clock.h"

namespace {
std::function<QDateTime()> gClock;
}

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
} // namespace runtime
