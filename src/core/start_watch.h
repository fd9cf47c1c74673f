#pragma once
// A second start waits for the copy that is still starting to show its window, without a
// deadline a slow start could miss: it gives up only when that copy shows no sign of progress
// for a long time. Progress is processor time used, running, or waiting on a device (a slow
// disk); a copy that sleeps, is stopped or cannot be seen for a minute is stuck.
#include "platform/process_state.h"

class StartWatch {
public:
    static constexpr long long kPatienceMs = 60000;
    explicit StartWatch(long long patienceMs = kPatienceMs) : patience_(patienceMs) {}

    // One look at the copy holding the single-instance mutex (its process number, 0 when not
    // known, and what the kernel shows of it) at that moment on a steady clock; true once it
    // has shown no progress for the patience.
    bool stuck(long long nowMs, long long pid, const platform::ProcessSample& sample);

private:
    long long patience_;
    long long lastProgressMs_ = -1;
    long long pid_ = 0;
    unsigned long long cpuTicks_ = 0;
};
