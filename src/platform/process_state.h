#pragma once
// What the kernel shows of another process of the user: whether it lives, what it is doing and
// how much processor time it has used. A start that waits on another copy watches it so.

namespace platform {

struct ProcessSample {
    bool exists = false;             // a process with that number lives (a zombie counts as gone)
    char state = '?';                // R running, S sleeping, D waiting on a device, T stopped, ...
    unsigned long long cpuTicks = 0; // user and system time, in clock ticks
};

ProcessSample SampleProcess(long long pid);

} // namespace platform
