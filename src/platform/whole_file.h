#pragma once
// A whole new file put in place of whatever is at a path: the timetable export and the PDF of a
// print both write their files so.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes the bytes into a new file beside the path (CreateBeside), synced and closed with every
// result checked, then renamed over the path itself: a full disk or any other failure leaves
// the old file (or none) as it was, and a link, pipe or device at the path is replaced, never
// written through or opened. A replaced file of the user's keeps its permissions. 0, or the
// errno of the step that failed.
int ReplaceWithWholeFile(const QString& path, const QByteArray& bytes);

} // namespace platform
