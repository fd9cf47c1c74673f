#pragma once
// Putting a new file's bytes on disk before it is renamed into place, as the settings store and
// the timetable export both do: so that a full disk or a crash never leaves half a file.
#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace platform {

// What starts the name of every new file made by CreateBeside for a target of that name:
// "<name>.tmp-", then random letters and digits. A writer that owns the target's lock can
// recognise (and remove) what killed writers left.
QString TemporaryPrefix(const QString& targetFileName);

// Creates a new, empty file beside target, to be renamed over it: under a random name that
// starts with TemporaryPrefix, opened O_EXCL|O_NOFOLLOW (so a name someone planted, a link
// above all, is never followed or written: another name is taken). When target is a regular
// file of this user the new file gets its permission bits, else newMode (the process's umask
// applied). Returns the descriptor, write-only, and the new file's path in *created; -1 with
// errno set when no file could be made.
int CreateBeside(const QString& target, mode_t newMode, QByteArray* created);

// Writes every byte to fd, syncs it to disk and closes it (the descriptor is closed whatever
// happens); 0, or the errno of the first step that failed.
int WriteSyncClose(int fd, const QByteArray& bytes);

// Syncs a folder, so that a rename into it survives a crash; false when it could not be.
bool SyncFolder(const QString& folder);

} // namespace platform
