#pragma once
// Widths of text on a fixed-pitch display (a terminal, a text editor, a printed page in a
// fixed-pitch font), in cells: East Asian wide and full-width characters take two cells,
// combining marks, format characters (direction marks, joiners) and controls none, every
// other character one.
#include <QList>
#include <QString>
#include <QStringView>

namespace runtime {

int CharCells(char32_t c);
int TextCells(QStringView text);
// The text followed by blanks up to the width in cells; a wider text comes back as it is.
QString PadToCells(const QString& text, int cells);
// The text holds a character written right to left (Hebrew, Arabic, Arabic digits...).
bool HasRightToLeft(QStringView text);

// A piece of a line and the cell it starts at on a fixed-pitch display.
struct CellRun {
    int cell;
    QString text;
};
// A left-to-right line cut at the blanks that a bidi-aware viewer shows where they are, so that
// what lies before such a blank is shown left of it and what follows right of it: drawn each at
// its cell, the pieces sit as the viewer shows the line, however wide the glyphs of a fallback
// font are. A right-to-left line, or one with embedding, override or isolate marks, stays whole.
QList<CellRun> CellRuns(const QString& line);

} // namespace runtime
