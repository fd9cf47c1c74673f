#pragma once
// Icon handles: the number a tray record or a picture carries to name an icon of ours.
#include "wintypes.h"

#include <QIcon>

namespace platform {

// Registers the icon and returns its handle (never 0). Each call gives a new handle.
HANDLE RegisterIcon(const QIcon& icon);
// The icon of a handle; a null icon for 0 or a handle that names no icon (any more).
QIcon IconOfHandle(HANDLE handle);
// Forgets the handle; later look-ups give a null icon.
void UnregisterIcon(HANDLE handle);

} // namespace platform
