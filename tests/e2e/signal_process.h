#pragma once
// A signal to one process of a test. A process that has ended (or was never found) has the id 0,
// and kill(0, ...) would signal the test's whole process group (ctest with it): that is refused
// here as a process that does not exist.
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

inline int SignalProcess(qint64 pid, int signalNumber) {
    if (pid <= 0) {
        errno = ESRCH;
        return -1;
    }
    return ::kill(pid_t(pid), signalNumber);
}

// The same to the process group that the process leads (its own session or group).
inline int SignalGroup(qint64 leader, int signalNumber) {
    if (leader <= 0) {
        errno = ESRCH;
        return -1;
    }
    return ::kill(-pid_t(leader), signalNumber);
}
