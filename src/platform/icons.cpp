#include "icons.h"

#include <QHash>

namespace platform {

namespace {
// Handles count up from a base that no other handle of ours starts near; a handle is never
// reused within a run, so a stale handle cannot name a newer icon.
constexpr HANDLE kFirstIconHandle = 0x00A10000;

QHash<HANDLE, QIcon>& icons() {
    static QHash<HANDLE, QIcon> table;
    return table;
}
HANDLE gNextHandle = kFirstIconHandle;
} // namespace

HANDLE RegisterIcon(const QIcon& icon) {
    const HANDLE handle = gNextHandle;
    gNextHandle += 4;
    icons().insert(handle, icon);
    return handle;
}

QIcon IconOfHandle(HANDLE handle) {
    return icons().value(handle);
}

void UnregisterIcon(HANDLE handle) {
    icons().remove(handle);
}

} // namespace platform
