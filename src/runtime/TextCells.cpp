#include "TextCells.h"

#include <QChar>
#include <QList>
#include <algorithm>
#include <iterator>

namespace runtime {

namespace {

struct Range {
    char32_t first, last;
};

constexpr Range kWide[] = {
#include "TextCells_wide.inc"
};

// Hangul vowels and final consonants that join the syllable before them.
constexpr Range kConjoining[] = {{0x1160, 0x11FF}, {0xD7B0, 0xD7FF}};

bool inRanges(char32_t c, const Range* begin, const Range* end) {
    const Range* r =
        std::upper_bound(begin, end, c, [](char32_t v, const Range& x) { return v < x.first; });
    return r != begin && c <= std::prev(r)->last;
}

} // namespace

int CharCells(char32_t c) {
    if (c == 0xAD) // the soft hyphen shows where it breaks a line
        return 1;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Other_Control:
        return 0;
    default:
        break;
    }
    if (inRanges(c, std::begin(kConjoining), std::end(kConjoining)))
        return 0;
    return inRanges(c, std::begin(kWide), std::end(kWide)) ? 2 : 1;
}

int TextCells(QStringView text) {
    int cells = 0;
    for (const char32_t c : text.toUcs4())
        cells += CharCells(c);
    return cells;
}

QString PadToCells(const QString& text, int cells) {
    const int have = TextCells(text);
    return have >= cells ? text : text + QString(cells - have, QLatin1Char(' '));
}

bool HasRightToLeft(QStringView text) {
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace runtime
