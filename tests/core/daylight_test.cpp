// The daylight-saving hours of a day, from the zone's rules or the user's manual setting.
#include "core/daylight.h"
#include "core/settings.h"
#include "platform/tzlist.h"

#include <gtest/gtest.h>

namespace {

TIME_ZONE_INFORMATION gZone;
DWORD gZoneId = TIME_ZONE_ID_STANDARD;
DWORD answerZone(TIME_ZONE_INFORMATION* info) {
    *info = gZone;
    return gZoneId;
}

SYSTEMTIME rule(int month, int weekday, int occurrence, int year = 0) {
    SYSTEMTIME st;
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDayOfWeek = WORD(weekday);
    st.wDay = WORD(occurrence);
    st.wHour = 2;
    return st;
}

class Daylight : public ::testing::Test {
protected:
    void SetUp() override {
        gDaylightSavings = 0;
        gZone = TIME_ZONE_INFORMATION{};
        gZone.DaylightBias = -60;
        gZoneId = TIME_ZONE_ID_STANDARD;
        platform::InstallTimeZoneHook(answerZone);
    }
    void TearDown() override { platform::InstallTimeZoneHook(nullptr); }

    static double on(int y, int m, int d) { return GetDaylightOffset(PrayerDate{d, m, y}); }
};

TEST_F(Daylight, NorthernRulesCountTheFirstDayInAndTheLastDayOut) {
    // Second Sunday of March to the first Sunday of November; 1 March 2026 is a Sunday.
    gZone.DaylightDate = rule(3, 0, 2);
    gZone.StandardDate = rule(11, 0, 1);
    const struct {
        int m, d;
        double hours;
    } cases[] = {{3, 7, 0}, {3, 8, 1}, {7, 1, 1}, {10, 31, 1}, {11, 1, 0}, {12, 31, 0}, {1, 1, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(on(2026, c.m, c.d), c.hours) << c.m << "/" << c.d;
    // The current state of the zone does not matter, only the computed day.
    gZoneId = TIME_ZONE_ID_DAYLIGHT;
    EXPECT_DOUBLE_EQ(on(2026, 1, 15), 0);
    gZone.DaylightBias = -30;
    EXPECT_DOUBLE_EQ(on(2026, 7, 1), 0.5);
}

TEST_F(Daylight, SouthernRulesSpanTheTurnOfTheYear) {
    gZone.StandardDate = rule(4, 0, 1);
    gZone.DaylightDate = rule(10, 0, 1);
    EXPECT_DOUBLE_EQ(on(2026, 1, 15), 1);
    EXPECT_DOUBLE_EQ(on(2026, 12, 15), 1);
    EXPECT_DOUBLE_EQ(on(2026, 6, 15), 0);
    EXPECT_DOUBLE_EQ(on(2026, 4, 5), 0);  // first Sunday of April: standard from that day
    EXPECT_DOUBLE_EQ(on(2026, 10, 4), 1); // first Sunday of October: daylight from that day
}

TEST_F(Daylight, ZonesWithoutRulesAndAbsoluteRules) {
    gZone.DaylightDate = rule(3, 0, 2);
    gZone.StandardDate = rule(11, 0, 1);
    for (const DWORD id : {TIME_ZONE_ID_UNKNOWN, TIME_ZONE_ID_INVALID, DWORD(3)}) {
        gZoneId = id;
        EXPECT_DOUBLE_EQ(on(2026, 7, 1), 0) << id;
    }
    gZoneId = TIME_ZONE_ID_STANDARD;
    gZone.StandardDate.wMonth = 0;
    EXPECT_DOUBLE_EQ(on(2026, 7, 1), 0);
    // Absolute dates belong to their own year.
    gZone.DaylightDate = rule(3, 0, 29, 2020);
    gZone.StandardDate = rule(10, 0, 25, 2020);
    EXPECT_DOUBLE_EQ(on(2020, 6, 1), 1);
    EXPECT_DOUBLE_EQ(on(2026, 6, 1), 0);
}

TEST_F(Daylight, ManualAndNoneIgnoreTheDate) {
    const struct {
        int mode, index;
        double hours;
    } cases[] = {{1, 0, 0.5}, {1, 1, 1.0}, {1, 3, 2.0}, {2, 3, 0}, {7, 0, 0}, {-1, 0, 0}};
    for (const auto& c : cases) {
        gDaylightSavings = std::int16_t(c.mode);
        gDaylightSavingsTime = std::int16_t(c.index);
        for (int month : {1, 7})
            EXPECT_DOUBLE_EQ(on(2026, month, 10), c.hours) << c.mode << " " << c.index;
    }
}

TEST(TransitionDate, OccurrencesStayInTheirMonth) {
    for (int year = 2020; year <= 2032; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int weekday = 0; weekday <= 6; ++weekday) {
                for (int occurrence = 1; occurrence <= 5; ++occurrence) {
                    const QDate d = TransitionDate(rule(month, weekday, occurrence), year);
                    ASSERT_EQ(d.month(), month) << year << "-" << month << " " << occurrence;
                    ASSERT_EQ(d.dayOfWeek() % 7, weekday);
                    if (occurrence <= 4)
                        ASSERT_EQ((d.day() - 1) / 7 + 1, occurrence);
                    else
                        ASSERT_GT(d.day() + 7, d.daysInMonth());
                }
            }
        }
    }
    // 31 May 2026 is a Sunday: the last Sunday is the last day itself.
    EXPECT_EQ(TransitionDate(rule(5, 0, 5), 2026), QDate(2026, 5, 31));
    EXPECT_EQ(TransitionDate(rule(12, 4, 5), 2026), QDate(2026, 12, 31));
    for (int bad : {0, 6, 9})
        EXPECT_EQ(TransitionDate(rule(3, 0, bad), 2026), ZeroDate()) << bad;
    EXPECT_EQ(TransitionDate(rule(13, 0, 1), 2026), ZeroDate());
}

// The rules read from the time-zone database give, day by day, the hours by which noon of that
// day is ahead of the zone's standard (winter) time.
TEST(RealZones, RulesAgreeWithTheDatabaseEveryDay) {
    gDaylightSavings = 0;
    for (const char* id : {"America/New_York", "Australia/Sydney", "Europe/London", "Europe/Dublin",
                           "America/Santiago"}) {
        const QTimeZone zone(id);
        ASSERT_TRUE(zone.isValid()) << id;
        for (int year : {2026, 2027}) {
            TIME_ZONE_INFORMATION info;
            const DWORD state = platform::TimeZoneInformationFor(
                zone, QDateTime(QDate(year, 6, 1), QTime(12, 0), zone), &info);
            ASSERT_TRUE(state == TIME_ZONE_ID_STANDARD || state == TIME_ZONE_ID_DAYLIGHT) << id;
            EXPECT_EQ(info.StandardDate.wYear, 0) << id << " has yearly rules";
            gZone = info;
            gZoneId = state;
            platform::InstallTimeZoneHook(answerZone);
            EXPECT_EQ(info.DaylightBias, -60) << id;
            int lowest = zone.offsetFromUtc(QDateTime(QDate(year, 1, 1), QTime(12, 0), zone));
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
                lowest = std::min(lowest, zone.offsetFromUtc(QDateTime(d, QTime(12, 0), zone)));
            EXPECT_EQ(info.Bias, -lowest / 60) << id;
            for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
                const int ahead = zone.offsetFromUtc(QDateTime(d, QTime(12, 0), zone)) - lowest;
                ASSERT_DOUBLE_EQ(GetDaylightOffset(PrayerDate{d.day(), d.month(), d.year()}),
                                 ahead / 3600.0)
                    << id << " " << qPrintable(d.toString(Qt::ISODate));
            }
            platform::InstallTimeZoneHook(nullptr);
        }
    }
    // New York: second Sunday of March, first Sunday of November; London: last Sundays.
    TIME_ZONE_INFORMATION ny, london;
    platform::TimeZoneInformationFor(QTimeZone("America/New_York"),
                                     QDateTime(QDate(2026, 1, 1), QTime(0, 0)), &ny);
    EXPECT_EQ(ny.DaylightDate.wMonth, 3);
    EXPECT_EQ(ny.DaylightDate.wDay, 2);
    EXPECT_EQ(ny.StandardDate.wDay, 1);
    EXPECT_EQ(ny.DaylightBias, -60);
    platform::TimeZoneInformationFor(QTimeZone("Europe/London"),
                                     QDateTime(QDate(2026, 1, 1), QTime(0, 0)), &london);
    EXPECT_EQ(london.DaylightDate.wDay, 5);
    EXPECT_EQ(london.StandardDate.wMonth, 10);
    TIME_ZONE_INFORMATION riyadh;
    EXPECT_EQ(platform::TimeZoneInformationFor(QTimeZone("Asia/Riyadh"),
                                               QDateTime(QDate(2026, 1, 1), QTime(0, 0)), &riyadh),
              TIME_ZONE_ID_UNKNOWN);
}

// Every day of six years in zones whose dates fit no weekday rule (Gaza, Casablanca), whose clock
// moves by half an hour (Lord Howe), changes at midnight (Santiago), dropped daylight saving
// (Tehran), keeps its standard time in summer (Dublin) or follows plain rules (New York): the
// standard offset plus the day's daylight hours is the clock at noon.
QTimeZone gRealZone;
DWORD answerRealZone(const QDate& day, TIME_ZONE_INFORMATION* info) {
    return platform::TimeZoneInformationOn(gRealZone, day, info);
}

TEST(RealZones, EveryDayOfEveryYearFollowsThatYearsRules) {
    gDaylightSavings = 0;
    platform::InstallDayTimeZoneHook(answerRealZone);
    const struct {
        const char* id;
        double standard;
    } zones[] = {{"Asia/Gaza", 2},          {"Africa/Casablanca", 1},
                 {"America/Santiago", -4},  {"Australia/Lord_Howe", 10.5},
                 {"Asia/Tehran", 3.5},      {"America/New_York", -5},
                 {"Europe/Dublin", 0},      {"Asia/Kathmandu", 5.75},
                 {"Pacific/Chatham", 12.75}};
    for (const auto& z : zones) {
        gRealZone = QTimeZone(z.id);
        ASSERT_TRUE(gRealZone.isValid()) << z.id;
        EXPECT_EQ(platform::ZoneStandardOffset(gRealZone), std::lround(z.standard * 3600)) << z.id;
        int daylightDays = 0;
        for (QDate d(2025, 1, 1); d.year() <= 2030; d = d.addDays(1)) {
            const double clock =
                gRealZone.offsetFromUtc(QDateTime(d, QTime(12, 0), gRealZone)) / 3600.0;
            const double daylight = GetDaylightOffset(PrayerDate{d.day(), d.month(), d.year()});
            daylightDays += daylight != 0;
            ASSERT_DOUBLE_EQ(z.standard + daylight, clock)
                << z.id << " " << qPrintable(d.toString(Qt::ISODate));
        }
        // The zones do what they are chosen for: Tehran and Kathmandu have none, the others some.
        if (z.standard == 3.5 || z.standard == 5.75)
            EXPECT_EQ(daylightDays, 0) << z.id;
        else
            EXPECT_GT(daylightDays, 6 * 20) << z.id;
    }
    const struct {
        const char* id;
        QDate day;
        double daylight;
    } days[] = {
        {"Australia/Lord_Howe", {2027, 1, 1}, 0.5}, // the half hour reaches the caller as a half
        {"Africa/Casablanca", {2026, 7, 15}, 0},    // +1 is Morocco's standard time
        {"Africa/Casablanca", {2026, 3, 1}, -1},    // an hour behind it in Ramadan
        {"Africa/Casablanca", {2029, 1, 20}, -1},   // 2029: Ramadan both in January...
        {"Africa/Casablanca", {2029, 6, 1}, 0},
        {"Africa/Casablanca", {2029, 12, 31}, -1}, // ...and from 30 December
        {"Europe/Dublin", {2026, 1, 15}, 0},       // GMT in winter, as London
        {"Europe/Dublin", {2026, 7, 15}, 1},
    };
    for (const auto& d : days) {
        gRealZone = QTimeZone(d.id);
        EXPECT_DOUBLE_EQ(GetDaylightOffset(PrayerDate{d.day.day(), d.day.month(), d.day.year()}),
                         d.daylight)
            << d.id << " " << qPrintable(d.day.toString(Qt::ISODate));
    }
    platform::InstallDayTimeZoneHook(nullptr);
}

} // namespace
