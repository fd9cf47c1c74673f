// Dates in the user's format with the program's own names, in both calendars.
#include "core/datefmt.h"
#include "fakes/fake_locale.h"
#include "runtime/ErrObject.h"

#include <gtest/gtest.h>

namespace {

// The program's names are English; the faked locale speaks German, so a name in the result
// shows where it came from.
class DateFormatting : public testing::Test {
protected:
    void SetUp() override {
        locale.texts[LOCALE_SLONGDATE] = "dddd, d. MMMM yyyy";
        locale.setMonthNames({"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August",
                              "September", "Oktober", "November", "Dezember"});
        locale.setDayNames(
            {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"});
        const QStringList gLong = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
        const QStringList hLong = {"Muharram", "Safar",     "Rabia I",     "Rabia II",
                                   "Jumada I", "Jumada II", "Rajab",       "Sha'ban",
                                   "Ramadan",  "Shawwal",   "Dhul-Qi'dah", "Dhul-Hijjah"};
        const QStringList hShort = {"Muh", "Saf", "Rb1", "Rb2", "Jm1", "Jm2",
                                    "Raj", "Sha", "Ram", "Shw", "Qid", "Hij"};
        const QStringList days = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
        for (int i = 1; i <= 12; ++i) {
            gGregorianMonthLong[i] = gLong[i - 1];
            gGregorianMonthShort[i] = gLong[i - 1].left(3);
            gHijriMonthLong[i] = hLong[i - 1];
            gHijriMonthShort[i] = hShort[i - 1];
        }
        for (int i = 1; i <= 7; ++i) {
            gDayNameLong[i] = days[i - 1];
            gDayNameShort[i] = days[i - 1].left(3);
        }
        SetCalendar(vbCalGreg);
        Err.Clear();
    }
    void TearDown() override { SetCalendar(vbCalGreg); }

    void lowerCaseNames() {
        for (auto* table : {&gGregorianMonthLong, &gGregorianMonthShort, &gHijriMonthShort})
            for (QString& s : *table)
                s = s.toLower();
        for (auto* table : {&gDayNameLong, &gDayNameShort})
            for (QString& s : *table)
                s = s.toLower();
        gHijriMonthLong[9] = "ramadan";
    }

    FakeLocale locale;
    const Date friday = Date(QDate(2000, 1, 7)); // 30 Ramadan 1420
};

TEST_F(DateFormatting, LongDateWithTheProgramsNames) {
    struct Case {
        const char* pattern;
        const char* gregorian;
        const char* hijri;
    };
    const Case cases[] = {
        {"dddd, MMMM dd, yyyy", "Friday, January 07, 2000", "Friday, Ramadan 30, 1420"},
        {"dddd, d. MMMM yyyy", "Friday, 7. January 2000", "Friday, 30. Ramadan 1420"},
        // Quoted words are kept as they stand; their letters are no codes.
        {"dddd, d' de 'MMMM' de 'yyyy", "Friday, 7 de January de 2000",
         "Friday, 30 de Ramadan de 1420"},
        {"ddd d MMM yyyy", "Fri 7 Jan 2000", "Fri 30 Ram 1420"},
        {"dd/MM/yyyy", "07/01/2000", "30/09/1420"},
        // A blank standing alone between two quoted texts is dropped; '' adds nothing.
        {"d'.' 'de' MMMM", "7.de January", "30.de Ramadan"},
        {"d'' MMMM", "7 January", "30 Ramadan"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        locale.texts[LOCALE_SLONGDATE] = c.pattern;
        EXPECT_EQ(FormatLongDateLocalized(vbCalGreg, friday), c.gregorian);
        EXPECT_EQ(FormatLongDateLocalized(vbCalHijri, friday), c.hijri);
        EXPECT_EQ(Calendar(), vbCalGreg);
    }
}

TEST_F(DateFormatting, LongDateWithLowerCaseNames) {
    lowerCaseNames();
    locale.texts[LOCALE_SLONGDATE] = "dddd d MMMM yyyy";
    EXPECT_EQ(FormatLongDateLocalized(vbCalGreg, friday), "friday 7 january 2000");
    EXPECT_EQ(FormatLongDateLocalized(vbCalHijri, friday), "friday 30 ramadan 1420");
}

TEST_F(DateFormatting, LongDateRestoresTheCalendar) {
    SetCalendar(vbCalHijri);
    EXPECT_EQ(FormatLongDateLocalized(vbCalGreg, friday), "Friday, 7. January 2000");
    EXPECT_EQ(Calendar(), vbCalHijri);
}

TEST_F(DateFormatting, LongDateFallsBackOnThePlatformsLongDate) {
    // No such calendar: the platform's long date, its own names, in the current calendar.
    EXPECT_EQ(FormatLongDateLocalized(2, friday), "Freitag, 7. Januar 2000");
    EXPECT_EQ(Err.Number, 0);
    EXPECT_EQ(Calendar(), vbCalGreg);
    // No pattern from the locale.
    locale.texts.remove(LOCALE_SLONGDATE);
    SetCalendar(vbCalHijri);
    EXPECT_EQ(FormatLongDateLocalized(vbCalGreg, friday), "Freitag, 07 Januar 2000");
    EXPECT_EQ(Calendar(), vbCalHijri);
}

TEST_F(DateFormatting, TimePatternForTheFormatter) {
    struct Case {
        const char* locale; // nullptr: the locale has no time pattern
        const char* pattern;
        const char* text; // 14:05:09 formatted with the pattern
    };
    const Case cases[] = {
        {"h:mm:ss tt", "h:mm:ss AM/PM", "2:05:09 PM"},
        {"HH:mm:ss", "HH:mm:ss", "14:05:09"},
        {"h:mm t", "h:mm A/P", "2:05 P"},
        {"tt hh:mm:ss", "AM/PM hh:mm:ss", "PM 02:05:09"},
        // Quoted text goes to the formatter as a literal.
        {"HH' h 'mm", "HH\" h \"mm", "14 h 05"},
        {"H:mm:ss 'Uhr'", "H:mm:ss \"Uhr\"", "14:05:09 Uhr"},
        {"", "h:mm:ss AM/PM", "2:05:09 PM"},
        {nullptr, "h:mm:ss AM/PM", "2:05:09 PM"},
    };
    const Date t = Date::fromTime(QTime(14, 5, 9));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale ? c.locale : "(none)");
        if (c.locale)
            locale.texts[LOCALE_STIMEFORMAT] = c.locale;
        else
            locale.texts.remove(LOCALE_STIMEFORMAT);
        const QString pattern = GetTimeFormatPattern();
        EXPECT_EQ(pattern, c.pattern);
        EXPECT_EQ(Format(t, pattern), c.text);
    }
}

TEST_F(DateFormatting, HijriMonthTexts) {
    struct Case {
        QDate date;
        std::int16_t style;
        const char* text;
    };
    const Case cases[] = {
        {QDate(2000, 1, 7), 0, "Ram 30"},           {QDate(2000, 1, 7), 1, "Ramadan 1420"},
        {QDate(1979, 11, 21), 0, "Muh 1"},          {QDate(1979, 11, 21), 1, "Muharram 1400"},
        {QDate(2024, 7, 6), 1, "Dhul-Hijjah 1445"}, {QDate(2000, 1, 7), 2, ""},
    };
    for (const std::int16_t current : {vbCalGreg, vbCalHijri}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
            SetCalendar(current);
            EXPECT_EQ(FormatHijriMonthText(Date(c.date), c.style), c.text);
            EXPECT_EQ(Calendar(), current);
        }
    }
}

TEST_F(DateFormatting, MonthNamesFromTheTables) {
    struct Case {
        std::int16_t cal, month, isLong;
        const char* name;
    };
    const Case cases[] = {
        {0, 1, 1, "January"}, {0, 1, 0, "Jan"},        {1, 9, 1, "Ramadan"},
        {1, 9, 0, "Ram"},     {0, 12, -1, "December"}, {0, 0, 1, ""},
        {2, 5, 1, ""},        {0, 13, 1, ""},          {1, -1, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetMonthName(c.cal, c.month, c.isLong), c.name)
            << c.cal << " " << c.month << " " << c.isLong;
}

TEST(TrimAtNull, CutsAtTheFirstNulElseTrimsBlanks) {
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QString::fromUtf16(u"abc\0def", 7), "abc"},
        {QString::fromUtf16(u" a \0 b\0", 7), " a "},
        {QString::fromUtf16(u"\0abc", 4), ""},
        {"  Fajr  ", "Fajr"},
        {"\tx ", "\tx"}, // only blanks are trimmed
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimAtNull(c.in), c.out) << c.in.toStdString();
}

} // namespace
