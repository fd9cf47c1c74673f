#pragma once
// Putting a new file's bytes on disk before it is renamed into place, as the settings store and
// the timetable export both do: so that a full disk or a crash never leaves half a file.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes every byte to fd, syncs it to disk and closes it (the descriptor is closed whatever
// happens); 0, or the errno of the first step that failed.
int WriteSyncClose(int fd, const QByteArray& bytes);

// Syncs a folder, so that a rename into it survives a crash; false when it could not be.
bool SyncFolder(const QString& folder);

} // namespace platform
