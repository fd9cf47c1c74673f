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
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        // Printable Latin and its neighbours up to the combining marks: one cell each.
        if ((u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u < 0x300 && u != 0xAD)) {
            ++cells;
            continue;
        }
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            c = QChar::surrogateToUcs4(u, text[++i].unicode());
        cells += CharCells(c);
    }
    return cells;
}

QString PadToCells(const QString& text, int cells) {
    const int have = TextCells(text);
    return have >= cells ? text : text + QString(cells - have, QLatin1Char(' '));
}

bool HasRightToLeft(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x590) // nothing before Hebrew is written right to left
            continue;
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode()))
            c = QChar::surrogateToUcs4(u, text[++i].unicode());
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

namespace {

enum class Side { None, Left, Right };

// The direction a character gives the blanks after it; None for neutrals (and marks, which
// take the type of what they follow).
Side sideOf(char32_t c, Side strong) {
    switch (QChar::direction(c)) {
    case QChar::DirL:
        return Side::Left;
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return Side::Right;
    case QChar::DirEN:
        // Digits are read as left to right only after left-to-right text (or at the start).
        return strong == Side::Right ? Side::Right : Side::Left;
    default:
        return Side::None;
    }
}

bool explicitDirection(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QList<CellRun> CellRuns(const QString& line) {
    const QList<uint> chars = line.toUcs4();
    Side strong = Side::None;
    for (const char32_t c : chars) {
        if (explicitDirection(c))
            return {{0, line}};
        const QChar::Direction d = QChar::direction(c);
        if (strong == Side::None && (d == QChar::DirR || d == QChar::DirAL))
            return {{0, line}};
        if (strong == Side::None && d == QChar::DirL)
            strong = Side::Left;
    }
    QList<CellRun> runs;
    CellRun run{0, {}};
    int cell = 0;
    strong = Side::None;      // the last strong character's
    Side before = Side::None; // the last character's that is not neutral
    for (const char32_t c : chars) {
        if (c == U' ' && before != Side::Right) {
            if (!run.text.isEmpty())
                runs << run;
            ++cell;
            run = {cell, {}};
            continue;
        }
        const Side side = sideOf(c, strong);
        if (side != Side::None)
            before = side;
        const QChar::Direction d = QChar::direction(c);
        if (d == QChar::DirL)
            strong = Side::Left;
        else if (d == QChar::DirR || d == QChar::DirAL)
            strong = Side::Right;
        run.text += QString::fromUcs4(&c, 1);
        cell += CharCells(c);
    }
    if (!run.text.isEmpty())
        runs << run;
    return runs;
}

} // namespace runtime
