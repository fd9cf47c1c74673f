#include "open_files.h"

#include <algorithm>
#include <sys/resource.h>

namespace platform {

namespace {
constexpr long kMinReserve = 160;
constexpr long kMaxDataClients = 1024;

long softLimit(const struct rlimit& r) {
    // An unlimited soft limit cannot be put on descriptors; treat it as plenty.
    return r.rlim_cur == RLIM_INFINITY ? 1L << 20 : long(r.rlim_cur);
}
} // namespace

long RaiseOpenFileLimit() {
    struct rlimit r {};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0)
        return 1024;
    if (r.rlim_cur != r.rlim_max) {
        struct rlimit raised = r;
        raised.rlim_cur = r.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            r = raised;
    }
    return softLimit(r);
}

long OpenFileLimit() {
    struct rlimit r {};
    return ::getrlimit(RLIMIT_NOFILE, &r) == 0 ? softLimit(r) : 1024;
}

long ReservedDescriptors(long openFileLimit) {
    return std::max(kMinReserve, openFileLimit / 4);
}

int DataServerClientCap(long openFileLimit) {
    const long left = openFileLimit - ReservedDescriptors(openFileLimit) - kHandoverClientCap -
                      2 * kTurnedAwayAtOnce;
    return int(std::clamp(std::max(left, openFileLimit / 8), 1L, kMaxDataClients));
}

} // namespace platform
