// Display cells of text on a fixed-pitch display, as terminals and text editors count them.
#include "runtime/TextCells.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCells, WideNarrowAndZeroWidthCharacters) {
    struct Case {
        const char* name;
        QString text;
        int cells;
    };
    const Case cases[] = {
        {"Latin", QStringLiteral("05:12 AM"), 8},
        {"Japanese morning", QStringLiteral("午前"), 4},
        {"Korean afternoon", QStringLiteral("오후"), 4},
        {"Chinese with Latin", QStringLiteral("05:12 上午"), 10},
        {"full-width letter, half-width katakana", QStringLiteral("Ａｱ"), 3},
        {"ideograph beyond the first plane", QString::fromUcs4(U"\U00020BB7"), 2},
        {"emoji", QString::fromUcs4(U"\U0001F54C"), 2},
        {"Persian with a zero-width non-joiner", QStringLiteral("قبل\u200cازظهر"), 8},
        {"Thai with tone and vowel marks", QStringLiteral("ก่อนเที่ยง"), 7},
        {"combining acute", QStringLiteral("e\u0301"), 1},
        {"direction marks", QStringLiteral("\u200e5\u200f"), 1},
        {"conjoining Hangul letters", QStringLiteral("\u1100\u1161\u11a8"), 2},
        {"control character", QStringLiteral("a\tb"), 2},
        {"empty", QString(), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runtime::TextCells(c.text), c.cells) << c.name;
}

TEST(TextCells, PaddingCountsCellsAndKeepsWideText) {
    EXPECT_EQ(runtime::PadToCells(QStringLiteral("午前"), 6), QStringLiteral("午前  "));
    EXPECT_EQ(runtime::PadToCells(QStringLiteral("\u200eص"), 3), QStringLiteral("\u200eص  "));
    EXPECT_EQ(runtime::PadToCells(QStringLiteral("午前午前"), 6), QStringLiteral("午前午前"));
}

TEST(TextCells, RightToLeftText) {
    EXPECT_TRUE(runtime::HasRightToLeft(QStringLiteral("05:12 ص")));
    EXPECT_TRUE(runtime::HasRightToLeft(QStringLiteral("10:00 לפנה״צ")));
    EXPECT_TRUE(runtime::HasRightToLeft(QStringLiteral("٠٥")));
    EXPECT_FALSE(runtime::HasRightToLeft(QStringLiteral("05:12 午前 \u200e")));
}

// A line is cut only at blanks a bidi-aware viewer shows in place: a right-to-left run with
// the blanks inside it stays one piece, at the cell where it starts.
TEST(TextCells, LinesAreCutWhereTheViewerKeepsTheOrder) {
    struct Case {
        const char* name;
        QString line;
        QList<runtime::CellRun> runs;
    };
    const QString lrm(QChar(0x200E));
    const Case cases[] = {
        {"Latin words",
         QStringLiteral("Jan 1    05:12 AM"),
         {{0, "Jan"}, {4, "1"}, {9, "05:12"}, {15, "AM"}}},
        {"wide characters count two cells",
         QStringLiteral("午前  x"),
         {{0, QStringLiteral("午前")}, {6, "x"}}},
        {"marked Arabic times keep their cells",
         lrm + QStringLiteral("Ram 1  ") + lrm + QStringLiteral("05:27 ص") + lrm +
             QStringLiteral("  ") + lrm + QStringLiteral("06:41 ص") + lrm,
         {{0, lrm + "Ram"},
          {4, "1"},
          {7, lrm + "05:27"},
          {13, QStringLiteral("ص") + lrm},
          {16, lrm + "06:41"},
          {22, QStringLiteral("ص") + lrm}}},
        {"unmarked Arabic times join into one run",
         QStringLiteral("Day 05:12 ص  06:00 ص"),
         {{0, "Day"}, {4, "05:12"}, {10, QStringLiteral("ص  06:00 ص")}}},
        {"a right-to-left name with blanks",
         QStringLiteral("Location: مكة المكرمة, Saudi"),
         {{0, "Location:"}, {10, QStringLiteral("مكة المكرمة, Saudi")}}},
        {"a right-to-left line", QStringLiteral("مكة  Day"), {{0, QStringLiteral("مكة  Day")}}},
        {"an embedding",
         QStringLiteral("a ") + QChar(0x202B) + QStringLiteral("b c"),
         {{0, QStringLiteral("a ") + QChar(0x202B) + QStringLiteral("b c")}}},
    };
    for (const Case& c : cases) {
        const QList<runtime::CellRun> runs = runtime::CellRuns(c.line);
        ASSERT_EQ(runs.size(), c.runs.size()) << c.name;
        for (qsizetype i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].cell, c.runs[i].cell) << c.name << " " << i;
            EXPECT_EQ(runs[i].text, c.runs[i].text) << c.name << " " << i;
        }
    }
}

} // namespace
