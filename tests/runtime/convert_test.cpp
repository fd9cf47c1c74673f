// Numbers to text and back as the runtime does them, in every locale.
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class Convert : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

bool plain(const QString& text) {
    for (const QChar c : text)
        if (c.isDigit() && (c < u'0' || c > u'9'))
            return false;
        else if (c.category() == QChar::Other_Format || c.unicode() == 0x2212)
            return false;
    return true;
}

// The locale's separator, Latin digits, "-" and no direction marks; CDbl reads it back.
TEST_F(Convert, FormatAndStrWriteLatinDigitsWithTheLocaleSeparatorAndCDblReadsThem) {
    const struct {
        const char* locale;
        const char* formatted; // -83.1763 with "0.0000"
    } cases[] = {
        {"en_US", "-83.1763"},
        {"de_DE", "-83,1763"},
        {"fr_FR", "-83,1763"},
        // Latin digits take the point where the locale's own separator goes with its own digits.
        {"ar_SA", "-83.1763"},
        {"fa_IR", "-83.1763"},
        {"ar_EG", "-83.1763"},
        {"ur_PK", "-83.1763"},
    };
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        const QString text = Format(-83.1763, QStringLiteral("0.0000"));
        EXPECT_EQ(text, QString::fromUtf8(c.formatted)) << c.locale;
        EXPECT_TRUE(plain(Str(21.4233))) << c.locale << " " << qPrintable(Str(21.4233));
        for (const double v : {-83.1763, 21.4233, 0.5, -0.25, 1234567.0}) {
            const auto back = CDbl(Format(v, QStringLiteral("0.0000")));
            ASSERT_TRUE(back.has_value()) << c.locale << " " << v;
            EXPECT_DOUBLE_EQ(*back, v) << c.locale;
            const auto str = CDbl(Str(v));
            ASSERT_TRUE(str.has_value()) << c.locale << " " << qPrintable(Str(v));
            EXPECT_DOUBLE_EQ(*str, v) << c.locale;
        }
        // What the locale writes natively is read too.
        QLocale native;
        native.setNumberOptions(QLocale::OmitGroupSeparator);
        const auto n = CDbl(native.toString(-83.1763, 'f', 4));
        ASSERT_TRUE(n.has_value()) << c.locale << " " << qPrintable(native.toString(-83.1763));
        EXPECT_DOUBLE_EQ(*n, -83.1763) << c.locale;
    }
}

TEST_F(Convert, CDblRefusesWhatIsNoNumberAndReadsGroupingOnlyWhereItBelongs) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_DOUBLE_EQ(CDbl(QStringLiteral(" 1,234.5 ")).value_or(0), 1234.5);
    EXPECT_DOUBLE_EQ(CDbl(QStringLiteral("1e3")).value_or(0), 1000);
    for (const char* bad : {"", " ", "abc", "1x", "1,23.5", "1.2.3"}) {
        Err.Clear();
        EXPECT_FALSE(CDbl(QString::fromLatin1(bad)).has_value()) << bad;
        EXPECT_EQ(Err.Number, vbErrTypeMismatch) << bad;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(CDbl(QStringLiteral("21,4233")).value_or(0), 21.4233);
    EXPECT_FALSE(CDbl(QStringLiteral("21.4233")).has_value()) << "a point is no separator here";
    Err.Clear();
}

} // namespace
