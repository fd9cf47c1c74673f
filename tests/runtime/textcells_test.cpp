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

} // namespace
