// The runtime's Date: serial numbers, the calendar switch, building and moving dates, Format.
#include "fakes/fake_locale.h"
#include "runtime/Clock.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/VBDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

class DateTest : public testing::Test {
protected:
    void SetUp() override {
        SetCalendar(vbCalGreg);
        Err.Clear();
    }
    void TearDown() override { SetCalendar(vbCalGreg); }
    FakeLocale locale; // United States English, Windows patterns
};

Date at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Date(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

// ---- serial numbers ----

TEST_F(DateTest, SerialNumbersCountDaysFromThe30thOfDecember1899) {
    struct Case {
        QDateTime when;
        double serial;
    };
    const Case cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0},
        {QDateTime(QDate(1899, 12, 31), QTime(18, 0)), 1.75},
        {QDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25}, // whole part the day, fraction time
        {QDateTime(QDate(2000, 1, 1), QTime(12, 0)), 36526.5},
        {QDateTime(QDate(100, 1, 1), QTime(0, 0)), Date::kMinSerial},
        {QDateTime(QDate(9999, 12, 31), QTime(0, 0)), 2958465.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.when.toString(Qt::ISODate).toStdString());
        EXPECT_DOUBLE_EQ(Date(c.when).serial(), c.serial);
        EXPECT_EQ(Date(c.serial).toQDateTime(), c.when);
        EXPECT_TRUE(Date(c.serial).isValid());
    }
    EXPECT_EQ(Date(QDate(2024, 2, 29)).toQDate(), QDate(2024, 2, 29));
    EXPECT_EQ(Date::fromTime(QTime(6, 0)).serial(), 0.25);
    EXPECT_FALSE(Date(Date::kMinSerial - 1).isValid());
    EXPECT_FALSE(Date(std::nan("")).isValid());
    EXPECT_FALSE(Date(QDateTime()).isValid());
}

TEST_F(DateTest, PartsRoundTheTimeToTheNearestSecond) {
    const Date almostMidnight(36526.0 + (86399.6 / 86400.0)); // 2000-01-01 23:59:59.6
    EXPECT_EQ(Format(almostMidnight, "yyyy-mm-dd hh:nn:ss"), "2000-01-02 00:00:00");
    EXPECT_EQ(Second(Date(36526.0 + 10.4 / 86400.0)), 10);
    const Date t = at(2000, 1, 7, 14, 5, 9);
    EXPECT_EQ(Hour(t), 14);
    EXPECT_EQ(Minute(t), 5);
    EXPECT_EQ(Second(t), 9);
}

TEST_F(DateTest, NowDateReadsTheRuntimeClock) {
    runtime::SetClock(QDateTime(QDate(2001, 9, 1), QTime(4, 30)));
    EXPECT_EQ(NowDate(), at(2001, 9, 1, 4, 30));
    runtime::SetClock(nullptr);
}

// ---- the calendar switch ----

TEST_F(DateTest, OnlyTheTwoCalendarsCanBeSet) {
    EXPECT_TRUE(SetCalendar(vbCalHijri));
    EXPECT_EQ(Calendar(), vbCalHijri);
    EXPECT_FALSE(SetCalendar(2));
    EXPECT_EQ(Err.Number, 5);
    EXPECT_EQ(Calendar(), vbCalHijri);
    {
        const runtime::CalendarGuard keep;
        SetCalendar(vbCalGreg);
        EXPECT_EQ(Year(at(2000, 1, 7)), 2000);
    }
    EXPECT_EQ(Calendar(), vbCalHijri);
    EXPECT_EQ(Year(at(2000, 1, 7)), 1420);
}

// The tabular Islamic calendar, civil epoch, from its own arithmetic: 30-year cycles with the
// leap years below, months of 30 and 29 days in turn, the twelfth 30 days in a leap year, and
// 1 Muharram 1 at Julian day 1948439.5 (16 July 622, Julian calendar).
bool isTabularLeapYear(int year) {
    static const int leap[] = {2, 5, 7, 10, 13, 16, 18, 21, 24, 26, 29};
    const int inCycle = (year - 1) % 30 + 1;
    for (int l : leap)
        if (l == inCycle)
            return true;
    return false;
}
int tabularMonthLength(int year, int month) {
    if (month == 12 && isTabularLeapYear(year))
        return 30;
    return month % 2 == 1 ? 30 : 29;
}
// The Julian day at the midnight that begins the Hijri day.
double tabularJulianDay(int year, int month, int day) {
    const int cycles = (year - 1) / 30;
    double days = cycles * (30 * 354 + 11);
    for (int y = cycles * 30 + 1; y < year; ++y)
        days += isTabularLeapYear(y) ? 355 : 354;
    for (int m = 1; m < month; ++m)
        days += tabularMonthLength(year, m);
    return 1948439.5 + days + (day - 1);
}
// Julian day 2415018.5 is the midnight beginning 30 December 1899, serial 0.
Date fromJulianDay(double jd) {
    return Date(jd - 2415018.5);
}

TEST_F(DateTest, HijriDatesFollowTheTabularCalendarFrom1900To2100) {
    ASSERT_EQ(Date(QDate(1900, 1, 1)).serial(), 2.0); // Julian day 2415020.5
    SetCalendar(vbCalHijri);
    int checked = 0;
    for (int year = 1317; year <= 1530; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int length = tabularMonthLength(year, month);
            for (int day : {1, 15, length}) {
                const Date expected = fromJulianDay(tabularJulianDay(year, month, day));
                const auto built = DateSerial(year, month, day);
                ASSERT_TRUE(built.has_value()) << year << "-" << month << "-" << day;
                ASSERT_EQ(built->serial(), expected.serial()) << year << "-" << month << "-" << day;
                ASSERT_EQ(Year(expected), year);
                ASSERT_EQ(Month(expected), month);
                ASSERT_EQ(Day(expected), day);
                ++checked;
            }
            // The day after the last is the first of the next month.
            const Date next = fromJulianDay(tabularJulianDay(year, month, length) + 1);
            ASSERT_EQ(Day(next), 1) << year << "-" << month;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(DateTest, PublishedHijriDates) {
    struct Case {
        QDate gregorian;
        int year, month, day;
    };
    const Case cases[] = {
        {QDate(622, 7, 19), 1, 1, 1}, // the epoch, 16 July 622 in the Julian calendar
        {QDate(1979, 11, 21), 1400, 1, 1},
        {QDate(1999, 12, 9), 1420, 9, 1},
        {QDate(2000, 4, 6), 1421, 1, 1},
    };
    SetCalendar(vbCalHijri);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gregorian.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(Year(c.gregorian), c.year);
        EXPECT_EQ(Month(c.gregorian), c.month);
        EXPECT_EQ(Day(c.gregorian), c.day);
        EXPECT_EQ(DateSerial(c.year, c.month, c.day)->toQDate(), c.gregorian);
    }
}

// ---- building and moving dates ----

TEST_F(DateTest, DateSerialRunsOverMonthsAndDays) {
    struct Case {
        std::int16_t calendar;
        int y, m, d;
        QDate expected;
    };
    const Case cases[] = {
        {vbCalGreg, 2000, 13, 1, QDate(2001, 1, 1)},   {vbCalGreg, 2000, 3, 0, QDate(2000, 2, 29)},
        {vbCalGreg, 2000, 0, 1, QDate(1999, 12, 1)},   {vbCalGreg, 1999, 2, 29, QDate(1999, 3, 1)},
        {vbCalGreg, 2000, 1, -1, QDate(1999, 12, 30)}, {vbCalGreg, 2000, -11, 1, QDate(1999, 1, 1)},
        {vbCalHijri, 1420, 13, 1, QDate(2000, 4, 6)},  {vbCalHijri, 1420, 10, 0, QDate(2000, 1, 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.calendar << ": " << c.y << "-" << c.m << "-" << c.d);
        SetCalendar(c.calendar);
        const auto d = DateSerial(c.y, c.m, c.d);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->toQDateTime(), QDateTime(c.expected, QTime(0, 0)));
    }
}

TEST_F(DateTest, DatesOutsideTheRangeFailWithError5) {
    EXPECT_FALSE(DateSerial(10000, 1, 1).has_value());
    EXPECT_EQ(Err.Number, 5);
    Err.Clear();
    EXPECT_FALSE(DateSerial(99, 12, 31).has_value());
    EXPECT_EQ(Err.Number, 5);
    Err.Clear();
    EXPECT_FALSE(DateAdd("d", 1, at(9999, 12, 31)).has_value());
    EXPECT_EQ(Err.Number, 5);
    Err.Clear();
    EXPECT_FALSE(DateAdd("x", 1, at(2000, 1, 1)).has_value());
    EXPECT_EQ(Err.Number, 5);
}

TEST_F(DateTest, TimeSerialGivesTheTimeOfDay) {
    EXPECT_EQ(TimeSerial(14, 5, 9)->toQTime(), QTime(14, 5, 9));
    EXPECT_EQ(TimeSerial(0, 90, 0)->toQTime(), QTime(1, 30));
}

TEST_F(DateTest, DateAddMovesByTheIntervalInTheCurrentCalendar) {
    struct Case {
        std::int16_t calendar;
        const char* interval;
        int number;
        Date from;
        Date expected;
    };
    const Case cases[] = {
        {vbCalGreg, "m", 1, at(2000, 1, 31, 10, 30), at(2000, 2, 29, 10, 30)},
        {vbCalGreg, "M", 1, at(1999, 1, 31), at(1999, 2, 28)},
        {vbCalGreg, "m", -2, at(2000, 1, 15), at(1999, 11, 15)},
        {vbCalGreg, "yyyy", 1, at(2000, 2, 29), at(2001, 2, 28)},
        {vbCalGreg, "d", -1, at(2000, 3, 1, 6), at(2000, 2, 29, 6)},
        {vbCalGreg, "h", 25, at(2000, 1, 1), at(2000, 1, 2, 1)},
        {vbCalGreg, "n", -1, at(2000, 1, 1), at(1999, 12, 31, 23, 59)},
        {vbCalGreg, "s", 86399, at(1899, 12, 29, 6), at(1899, 12, 30, 5, 59, 59)},
        // 30 Ramadan 1420 + 1 month = 29 Shawwal (a 29-day month).
        {vbCalHijri, "m", 1, at(2000, 1, 7, 8), at(2000, 2, 5, 8)},
        // 30 Dhul-Hijjah 1420 (a leap year) + 1 year = 29 Dhul-Hijjah 1421.
        {vbCalHijri, "yyyy", 1, at(2000, 4, 5), at(2001, 3, 25)},
        {vbCalHijri, "d", 1, at(2000, 1, 7), at(2000, 1, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.calendar << " " << c.interval << " " << c.number << " "
                                        << c.from.toQDateTime().toString().toStdString());
        SetCalendar(c.calendar);
        const auto moved = DateAdd(c.interval, c.number, c.from);
        ASSERT_TRUE(moved.has_value());
        EXPECT_EQ(moved->toQDateTime(), c.expected.toQDateTime());
    }
}

TEST_F(DateTest, WeekdayCountsFromTheFirstDayOfTheWeek) {
    const Date friday = at(2000, 1, 7);
    EXPECT_EQ(Weekday(friday), 6);
    EXPECT_EQ(Weekday(friday, vbMonday), 5);
    EXPECT_EQ(Weekday(friday, vbFriday), 1);
    EXPECT_EQ(Weekday(friday, vbSaturday), 7);
    locale.texts[LOCALE_IFIRSTDAYOFWEEK] = "0"; // Monday
    EXPECT_EQ(Weekday(friday, vbUseSystemDayOfWeek), 5);
    locale.texts[LOCALE_IFIRSTDAYOFWEEK] = "5"; // Saturday
    EXPECT_EQ(Weekday(friday, vbUseSystemDayOfWeek), 7);
    SetCalendar(vbCalHijri);
    EXPECT_EQ(Weekday(friday), 6);
}

TEST_F(DateTest, MonthAndWeekdayNamesComeFromTheLocale) {
    EXPECT_EQ(MonthName(1), "January");
    EXPECT_EQ(MonthName(12, true), "Dec");
    SetCalendar(vbCalHijri);
    EXPECT_EQ(MonthName(9), "Ramadan");
    EXPECT_EQ(MonthName(1, true), "Muh.");
    EXPECT_EQ(WeekdayName(1, false, vbSunday), "Sunday");
    EXPECT_EQ(WeekdayName(7, true, vbSunday), "Sat");
    EXPECT_EQ(WeekdayName(1, false, vbMonday), "Monday");
    locale.texts[LOCALE_IFIRSTDAYOFWEEK] = "0";
    EXPECT_EQ(WeekdayName(1), "Monday");
    EXPECT_EQ(WeekdayName(7), "Sunday");
    EXPECT_EQ(MonthName(13), "");
    EXPECT_EQ(Err.Number, 5);
    Err.Clear();
    EXPECT_EQ(WeekdayName(0), "");
    EXPECT_EQ(Err.Number, 5);
}

// ---- Format ----

struct FormatCase {
    const char* pattern;
    const char* gregorian; // 2000-01-07 14:05:09, a Friday
    const char* hijri;     // the same day: 30 Ramadan 1420
};

TEST_F(DateTest, FormatCodesInBothCalendars) {
    const FormatCase cases[] = {
        {"d", "7", "30"},
        {"dd", "07", "30"},
        {"ddd", "Fri", "Fri"},
        {"dddd", "Friday", "Friday"},
        {"m", "1", "9"},
        {"mm", "01", "09"},
        {"mmm", "Jan", "Ram."},
        {"MMMM", "January", "Ramadan"},
        {"yy", "00", "20"},
        {"yyyy", "2000", "1420"},
        {"y", "7", "266"}, // day of the year
        {"d mmmm yyyy", "7 January 2000", "30 Ramadan 1420"},
        {"dddd, MMMM dd, yyyy", "Friday, January 07, 2000", "Friday, Ramadan 30, 1420"},
        {"dd/mm/yyyy", "07/01/2000", "30/09/1420"},
        {"h:mm", "14:05", "14:05"}, // m right after an hour: minutes
        {"hh:mm", "14:05", "14:05"},
        {"H:MM:SS", "14:05:09", "14:05:09"},
        {"m:ss", "5:09", "5:09"}, // m right before seconds: minutes
        {"hh:nn", "14:05", "14:05"},
        {"h:mm:ss AM/PM", "2:05:09 PM", "2:05:09 PM"},
        {"hh:mm am/pm", "02:05 pm", "02:05 pm"},
        {"h:mm A/P", "2:05 P", "2:05 P"},
        {"h a/p", "2 p", "2 p"},
        {"h AMPM", "2 PM", "2 PM"},
        {"\"day\" d", "day 7", "day 30"},
        {"\\d\\a\\y d", "day 7", "day 30"},
        {"????, ^^^ d", "????, ^^^ 7", "????, ^^^ 30"}, // placeholders pass through
        {"Long Date", "Friday, January 7, 2000", "Friday, Ramadan 30, 1420"},
        {"Short Date", "1/7/2000", "9/30/1420"},
        {"Long Time", "2:05:09 PM", "2:05:09 PM"},
        {"long time", "2:05:09 PM", "2:05:09 PM"},
        {"Medium Time", "02:05 PM", "02:05 PM"},
        {"Short Time", "14:05", "14:05"},
        {"General Date", "1/7/2000 2:05:09 PM", "9/30/1420 2:05:09 PM"},
        {"ddddd", "1/7/2000", "9/30/1420"},
        {"dddddd", "Friday, January 7, 2000", "Friday, Ramadan 30, 1420"},
    };
    const Date when = at(2000, 1, 7, 14, 5, 9);
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        SetCalendar(vbCalGreg);
        EXPECT_EQ(Format(when, c.pattern), c.gregorian);
        SetCalendar(vbCalHijri);
        EXPECT_EQ(Format(when, c.pattern), c.hijri);
    }
}

TEST_F(DateTest, FormatTwelveHourClockAroundMidnightAndNoon) {
    struct Case {
        QTime time;
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {QTime(0, 30), "h:mm AM/PM", "12:30 AM"},
        {QTime(12, 0), "h:mm AM/PM", "12:00 PM"},
        {QTime(9, 3, 4), "h:mm:ss AM/PM", "9:03:04 AM"},
        {QTime(23, 59), "hh:mm A/P", "11:59 P"},
        {QTime(0, 30), "hh:mm", "00:30"},
        {QTime(9, 3, 4), "Long Time", "9:03:04 AM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Format(Date::fromTime(c.time), c.pattern), c.text);
    }
    EXPECT_EQ(Format(Date::fromTime(QTime(9, 3, 4)), "General Date"), "9:03:04 AM");
    EXPECT_EQ(Format(at(2000, 1, 7), "General Date"), "1/7/2000");
}

TEST_F(DateTest, FormatUsesTheLocaleSeparatorsPatternsAndDesignators) {
    locale.texts[LOCALE_SDATE] = ".";
    locale.texts[LOCALE_STIME] = ".";
    locale.texts[LOCALE_SLONGDATE] = "dddd, d. MMMM yyyy";
    locale.texts[LOCALE_SSHORTDATE] = "dd.MM.yy";
    locale.texts[LOCALE_STIMEFORMAT] = "HH' h 'mm";
    locale.texts[LOCALE_S1159] = "vorm.";
    locale.texts[LOCALE_S2359] = "nachm.";
    locale.setMonthNames({"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August",
                          "September", "Oktober", "November", "Dezember"});
    locale.setDayNames(
        {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"});
    const Date when = at(2000, 3, 7, 14, 5, 9);
    EXPECT_EQ(Format(when, "dd/mm/yyyy hh:nn:ss"), "07.03.2000 14.05.09");
    EXPECT_EQ(Format(when, "Long Date"), "Dienstag, 7. März 2000");
    EXPECT_EQ(Format(when, "Short Date"), "07.03.00");
    EXPECT_EQ(Format(when, "Long Time"), "14 h 05");
    EXPECT_EQ(Format(when, "Medium Time"), "02:05 nachm.");
    EXPECT_EQ(Format(when, "h AMPM"), "2 nachm.");
}

// A day is a day in any local zone, also where the clock skips its midnight (the clock jumps
// from 23:59:59 to 1:00 when daylight saving starts at 0:00).
TEST_F(DateTest, ADayWithoutALocalMidnightIsADay) {
    const QByteArray savedTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    const struct {
        const char* zone;
        QDate day;
    } cases[] = {{"America/Santiago", {2025, 9, 7}},
                 {"Africa/Cairo", {2025, 4, 25}},
                 {"America/Havana", {2025, 3, 9}},
                 {"Asia/Beirut", {2025, 3, 30}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        qputenv("TZ", c.zone);
        tzset();
        ASSERT_FALSE(QDateTime(c.day, QTime(0, 0)).isValid()) << "no such zone (Debian tzdata)";
        const Date d(c.day);
        ASSERT_TRUE(d.isValid());
        EXPECT_EQ(d, *DateSerial(c.day.year(), c.day.month(), c.day.day()));
        EXPECT_EQ(d.toQDate(), c.day);
        EXPECT_EQ(Format(d, "yyyy-mm-dd hh:nn"), c.day.toString(Qt::ISODate) + " 00:00");
        EXPECT_EQ(*DateAdd("d", 1, d), Date(c.day.addDays(1)));
    }
    if (hadTz)
        qputenv("TZ", savedTz);
    else
        qunsetenv("TZ");
    tzset();
}

TEST_F(DateTest, TheNumericFormatStillWorks) {
    EXPECT_EQ(Format(12.5, "0.0000"), "12.5000");
    EXPECT_EQ(Format(QDateTime(QDate(2000, 1, 7), QTime(14, 5)), "hh:mm"), "14:05");
}

} // namespace
