#pragma once
// Putting a new file's bytes on disk before it is renamed into place, as the settings store and
// the timetable export both do: so that a full disk or a crash never leaves half a file.
#include <QByteArray>
#include <QString>

class QFile;

#include <sys/stat.h>
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

// Copies everything the descriptor from reads into to, a piece at a time (little memory
// whatever the size), then syncs and closes to (from stays open); 0, or the errno of the first
// step that failed.
int CopySyncClose(int from, int to);

// Renames a finished new file to the first free one of name, "name-1", "name-2"...: a name
// already taken, by anything (a file, a named pipe, a folder), is left as it is. The path the
// file now has, or "" with errno set.
QString RenameToFreeName(const QByteArray& from, const QString& name);

// Syncs a folder, so that a rename into it survives a crash; false when it could not be.
bool SyncFolder(const QString& folder);

// Writes the bytes into a new file beside the path (CreateBeside), synced and closed with every
// result checked, then renamed over the path itself: a full disk or any other failure leaves
// the old file (or none) as it was, and a link, pipe or device at the path is replaced, never
// written through or opened. A replaced file of the user's keeps its permissions. 0, or the
// errno of the step that failed. The timetable export and the PDF of a print are written so.
int ReplaceWithWholeFile(const QString& path, const QByteArray& bytes);

// Opens a file to read without ever waiting on it: only a regular file is opened, and anything
// else at the path (a named pipe, socket, device or folder, through links too) is refused before
// a byte is read, so no path a user or another program chose can stop the caller. Returns the
// descriptor (read-only, blocking reads) and fills *st; -1 with errno set when there is no
// regular file to read, *why then saying what is wrong ("" when nothing is at the path).
int OpenRegularFile(const QString& path, QString* why, struct stat* st = nullptr);
// The same, the descriptor handed to file (which then owns and closes it); false when there is
// no regular file to read (*why says why, "" when nothing is at the path) or it cannot be read.
bool OpenRegularFile(QFile* file, const QString& path, QString* why);

// Whether a file may be written at the path without the writer waiting on it: nothing is there
// (a dangling link included) or a regular file is. Otherwise false, and *why says what is
// there ("... is a named pipe, not a regular file").
bool MayWriteFileAt(const QString& path, QString* why);

// What a file that is no regular one is, for a message: "a folder", "a named pipe"...
QString FileKindText(mode_t mode);
// "... is a folder, not a regular file", and the like for the kind of file mode names.
QString NotRegularFileText(const QString& path, mode_t mode);

} // namespace platform
