// The locale texts: Qt patterns in the Windows pattern letters, the user's locale through
// GetLocaleInfoA and GetCalendarInfoA.
#include "fakes/fake_locale.h"
#include "platform/locale.h"

#include <QCalendar>
#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

QString localeInfo(LCTYPE type) {
    const int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0)
        return QStringLiteral("<none>");
    QByteArray buffer(size, '\0');
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer.data(), size) != size)
        return QStringLiteral("<failed>");
    return QString::fromUtf8(buffer.constData(), size - 1);
}

TEST(QtPatternToWindows, TimeAndDateCodes) {
    struct Case {
        const char* qt;
        const char* windows;
    };
    const Case cases[] = {
        {"h:mm:ss AP t", "h:mm:ss tt"}, // 12-hour with designator, zone left out
        {"h:mm AP", "h:mm tt"},
        {"hh:mm:ss ap", "hh:mm:ss tt"},
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss", "H:mm:ss"}, // an hour without designator is the 24-hour clock
        {"hh:mm", "HH:mm"},
        {"HH:mm:ss.zzz", "HH:mm:ss"},
        {"HH 'h' mm 'min' ss 's' t", "HH 'h' mm 'min' ss 's'"},
        {"dddd, MMMM d, yyyy", "dddd, MMMM d, yyyy"},
        {"d 'de' MMMM 'de' yyyy", "d 'de' MMMM 'de' yyyy"},
        {"dd.MM.yy", "dd.MM.yy"},
        {"'o''clock' h a", "'o''clock' h tt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::QtPatternToWindows(c.qt), c.windows) << c.qt;
}

class UserLocale : public testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(UserLocale, AnswersFromTheDefaultLocale) {
    struct Case {
        const char* name;
        LCTYPE type;
        const char* text;
    };
    const Case cases[] = {
        {"en_US", LOCALE_SLONGDATE, "dddd, MMMM d, yyyy"},
        {"en_US", LOCALE_STIMEFORMAT, "h:mm:ss tt"},
        {"en_US", LOCALE_IFIRSTDAYOFWEEK, "6"},
        {"en_US", LOCALE_SMONTHNAME1, "January"},
        {"en_US", LOCALE_SABBREVMONTHNAME1 + 11, "Dec"},
        {"en_US", LOCALE_SDAYNAME1, "Monday"},
        {"en_US", LOCALE_SDAYNAME1 + 6, "Sunday"},
        {"en_US", LOCALE_S1159, "AM"},
        {"en_US", LOCALE_SDATE, "/"},
        {"en_US", LOCALE_STIME, ":"},
        {"de_DE", LOCALE_SLONGDATE, "dddd, d. MMMM yyyy"},
        {"de_DE", LOCALE_STIMEFORMAT, "HH:mm:ss"},
        {"de_DE", LOCALE_IFIRSTDAYOFWEEK, "0"},
        {"de_DE", LOCALE_SDATE, "."},
        {"fr_FR", LOCALE_SMONTHNAME1, "janvier"},
        {"fr_FR", LOCALE_SDAYNAME1, "lundi"},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.name)));
        EXPECT_EQ(localeInfo(c.type), c.text) << c.name << " type " << c.type;
    }
    EXPECT_EQ(localeInfo(0x7777), "<none>");
}

TEST_F(UserLocale, HijriMonthNamesOfTheCalendar) {
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    char buffer[64] = {};
    DWORD value = 99;
    const int n = GetCalendarInfoA(LOCALE_USER_DEFAULT, CAL_HIJRI, CAL_SMONTHNAME1 + 8, buffer,
                                   sizeof buffer, &value);
    EXPECT_EQ(QString::fromUtf8(buffer), "Ramadan");
    EXPECT_EQ(n, 8);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(GetCalendarInfoA(LOCALE_USER_DEFAULT, 99, CAL_SMONTHNAME1, buffer, 64, nullptr), 0);
}

TEST_F(UserLocale, LanguageDateFormsAndTheMarksOfLatinDigits) {
    // The language; the month as a date writes it beside its day, of either calendar; the
    // separators the program writes between Latin digits (a locale with digits of its own
    // keeps its own marks for those).
    struct Case {
        const char* name;
        LCTYPE type;
        const char* text;
    };
    const Case cases[] = {
        {"en_US", LOCALE_SISO639LANGNAME, "en"},
        {"C", LOCALE_SISO639LANGNAME, "en"},
        {"ja_JP", LOCALE_SISO639LANGNAME, "ja"},
        {"ru_RU", LOCALE_SMONTHNAME1 + 2, "март"},
        {"ru_RU", (LOCALE_SMONTHNAME1 + 2) | LOCALE_RETURN_GENITIVE_NAMES, "марта"},
        {"en_US", LOCALE_SDECIMAL, "."},
        {"de_DE", LOCALE_SDECIMAL, ","},
        {"de_DE", LOCALE_STHOUSAND, "."},
        {"ar_EG", LOCALE_SDECIMAL, "."},
        {"ar_EG", LOCALE_STHOUSAND, ","},
        {"fa_IR", LOCALE_SDECIMAL, "."},
        {"ar_MA", LOCALE_SDECIMAL, ","}, // Latin digits: the locale's own mark
    };
    for (const Case& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.name)));
        EXPECT_EQ(localeInfo(c.type), QString::fromUtf8(c.text)) << c.name << " type " << c.type;
    }
    QLocale::setDefault(QLocale(QStringLiteral("ru_RU")));
    EXPECT_EQ(platform::CalendarText(CAL_HIJRI, (CAL_SMONTHNAME1 + 8) | CAL_RETURN_GENITIVE_NAMES),
              QLocale().toString(QDate(2025, 3, 9), QStringLiteral("MMMM"),
                                 QCalendar(QCalendar::System::IslamicCivil)));
}

TEST(LocaleBuffers, SizeFirstThenTextAndTooSmallFails) {
    FakeLocale fake;
    fake.texts[LOCALE_SLONGDATE] = QStringLiteral("d. MMMM");
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, nullptr, 0), 8);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, small, 4), 0);
    EXPECT_EQ(localeInfo(LOCALE_SLONGDATE), "d. MMMM");
    fake.texts.remove(LOCALE_SLONGDATE);
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, nullptr, 0), 0);
}

} // namespace
