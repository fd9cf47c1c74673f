#include "start_watch.h"

bool StartWatch::stuck(long long nowMs, long long pid, const platform::ProcessSample& sample) {
    // Another process in the mutex (the first copy ended and a third start took over) starts
    // the watch afresh.
    const bool moving =
        sample.exists && pid != 0 &&
        (sample.cpuTicks != cpuTicks_ || sample.state == 'R' || sample.state == 'D');
    if (lastProgressMs_ < 0 || pid != pid_ || moving)
        lastProgressMs_ = nowMs;
    pid_ = pid;
    cpuTicks_ = sample.cpuTicks;
    return nowMs - lastProgressMs_ >= patience_;
}
