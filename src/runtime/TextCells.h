#pragma once
// Widths of text on a fixed-pitch display (a terminal, a text editor, a printed page in a
// fixed-pitch font), in cells: East Asian wide and full-width characters take two cells,
// combining marks, format characters (direction marks, joiners) and controls none, every
// other character one.
#include <QString>
#include <QStringView>

namespace runtime {

int CharCells(char32_t c);
int TextCells(QStringView text);
// The text followed by blanks up to the width in cells; a wider text comes back as it is.
QString PadToCells(const QString& text, int cells);
// The text holds a character written right to left (Hebrew, Arabic, Arabic digits...).
bool HasRightToLeft(QStringView text);

} // namespace runtime
