#pragma once
// Where this program keeps its per-user files on Linux.
#include <QString>

namespace platform {

// $XDG_CONFIG_HOME/tallix-time (default ~/.config/tallix-time); created on demand.
QString ConfigDir();
// $XDG_CONFIG_HOME (default ~/.config); the autostart folder lies below it.
QString ConfigHome();
// $XDG_RUNTIME_DIR/tallix-time, or /tmp/tallix-time-UID; created with mode 0700.
QString RuntimeDir();

} // namespace platform
