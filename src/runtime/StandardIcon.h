#pragma once
// The style's standard icons (play, stop, arrows, the pages' icons), one of each for the whole
// program. QStyle::standardIcon makes a new icon at every call, and Qt's pixmap cache keeps
// what an icon is drawn with under that icon's own pixmaps: a dialog that made its icons anew
// at each opening added new cache entries each time, never used again, until the cache was
// full (10 MB). Shared icons are drawn from the same few entries however often a dialog opens.
#include <QIcon>
#include <QStyle>

// The application style's icon; made anew only when the style has changed.
QIcon StandardIcon(QStyle::StandardPixmap which);
