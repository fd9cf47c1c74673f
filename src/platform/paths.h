#pragma once
// Where this program keeps its per-user files on Linux.
#include <QString>

namespace platform {

// $XDG_CONFIG_HOME/tallix-time (default ~/.config/tallix-time); created on demand.
QString ConfigDir();
// $XDG_CONFIG_HOME (default ~/.config); the autostart folder lies below it.
QString ConfigHome();
// $XDG_RUNTIME_DIR/tallix-time when $XDG_RUNTIME_DIR is the user's own private folder, else
// /tmp/tallix-time-UID when that is a real private folder of the user's, else
// ~/.cache/tallix-time/run; created with mode 0700.
QString RuntimeDir();
// A new private folder with a short path (/tmp/tallix-XXXXXX), "" when none can be made: for
// sockets whose path would be too long under RuntimeDir(). The caller removes it.
QString MakeShortPrivateFolder();
// Where the folders shared by all users go ("/tmp"); tests point it at a folder of their own.
void SetSharedFolderBase(const QString& base);
QString SharedFolderBase();

} // namespace platform
