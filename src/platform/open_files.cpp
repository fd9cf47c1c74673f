#include "open_files.h"

#include <algorithm>
#include <sys/resource.h>

namespace platform {

namespace {
constexpr long kMinReserve = 160;
constexpr long kMaxDataClients = 1024;
// Far more than the program and its clients use. The programs it starts (the browser, an
// editor, the mixer) inherit the limit, and some of them walk every descriptor number up to it
// (closing them before they start another program): a limit of a million makes them crawl.
constexpr rlim_t kMaxRaisedLimit = 65536;

long softLimit(const struct rlimit& r) {
    // An unlimited soft limit cannot be put on descriptors; treat it as plenty.
    return r.rlim_cur == RLIM_INFINITY ? 1L << 20 : long(r.rlim_cur);
}
} // namespace

unsigned long long RaisedSoftLimit(unsigned long long soft, unsigned long long hard) {
    return std::max(soft, std::min<unsigned long long>(hard, kMaxRaisedLimit));
}

long RaiseOpenFileLimit() {
    struct rlimit r {};
    if (::getrlimit(RLIMIT_NOFILE, &r) != 0)
        return 1024;
    const rlim_t target = RaisedSoftLimit(r.rlim_cur, r.rlim_max);
    if (target != r.rlim_cur) {
        struct rlimit raised = r;
        raised.rlim_cur = target;
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
