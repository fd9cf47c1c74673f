// Method conventions, extreme latitudes, rounding, the day boundary and the Qiblah convention.
#include "prayer_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

using namespace prayertest;

namespace {

enum { kImsaak, kFajr, kShurooq, kDhuhr, kAsr, kMaghrib, kIshaa };

// Each fixed method equals method 0 given that method's angles (or interval) in the record.
TEST(prayerlibMethods, FixedMethodsMatchTheirAnglesGivenExplicitly) {
    struct Row {
        int method;
        double fajr, ishaa;
        int ishaaInterval;
    };
    const Row rows[] = {{1, 19.5, 17.5, 0}, {2, 18, 18, 0}, {3, 18, 18, 0},
                        {4, 15, 15, 0},     {5, 18, 17, 0}, {6, 18.5, 0, 90}};
    const Location loc = place(33.5138, 36.2765, 2); // Damascus
    const PrayerDate date{14, 2, 2025};
    for (int asr : {1, 2}) {
        for (const Row& r : rows) {
            SCOPED_TRACE("method " + std::to_string(r.method) + " asr " + std::to_string(asr));
            CalcMethod fixed = conventions(asr);
            fixed.FajrAngle = 3; // ignored by the fixed methods
            fixed.IshaaAngle = 4;
            CalcMethod custom = conventions(asr);
            custom.FajrAngle = r.fajr;
            custom.IshaaAngle = r.ishaa;
            custom.IshaaInterval = r.ishaaInterval;
            const Day a = computeDay(loc, fixed, date, r.method);
            const Day b = computeDay(loc, custom, date, 0);
            for (int s = 0; s < 7; ++s)
                EXPECT_EQ(seconds(a.t[s]), seconds(b.t[s])) << "slot " << s;
        }
    }
}

TEST(prayerlibMethods, IntervalsCountFromShurooqMaghribAndFajr) {
    const Location loc = place(41.0082, 28.9784, 3);
    const PrayerDate date{3, 9, 2026};
    CalcMethod c = conventions();
    c.FajrAngle = 18;
    c.IshaaAngle = 17;
    const Day angles = computeDay(loc, c, date, 0);
    c.FajrInterval = 100;
    c.IshaaInterval = 75;
    c.ImsaakInterval = 10;
    const Day intervals = computeDay(loc, c, date, 0);
    EXPECT_EQ(seconds(intervals.t[kFajr]), seconds(angles.t[kShurooq]) - 100 * 60);
    EXPECT_EQ(seconds(intervals.t[kIshaa]), seconds(angles.t[kMaghrib]) + 75 * 60);
    EXPECT_EQ(seconds(intervals.t[kImsaak]), seconds(intervals.t[kFajr]) - 10 * 60);
    // Method 7 takes Ishaa from the interval even where an angle is in the record.
    const Day seven = computeDay(loc, c, date, 7);
    EXPECT_EQ(seconds(seven.t[kIshaa]), seconds(angles.t[kMaghrib]) + 75 * 60);
    // Without an Imsaak interval Imsaak is the Sun 1.5 degrees further down than at Fajr.
    CalcMethod deeper = conventions();
    deeper.FajrAngle = 19.5;
    deeper.IshaaAngle = 17;
    EXPECT_EQ(seconds(computeDay(loc, deeper, date, 0).t[kFajr]), seconds(angles.t[kImsaak]));
}

TEST(prayerlibMethods, HanafiAsrComesLaterThanStandard) {
    const Location loc = place(24.8607, 67.0011, 5);
    const PrayerDate date{20, 6, 2025};
    const Day standard = computeDay(loc, conventions(1), date, 2);
    const Day hanafi = computeDay(loc, conventions(2), date, 3);
    const int gap = seconds(hanafi.t[kAsr]) - seconds(standard.t[kAsr]);
    EXPECT_GT(gap, 45 * 60);
    EXPECT_LT(gap, 90 * 60);
}

// 65 N at midsummer: the Sun never gets 17-18 degrees down, so Fajr and Ishaa come from the
// nearest good day; with ExtremeMethod 0 they have no time.
TEST(prayerlibExtremeLatitudes, MidsummerFajrAndIshaaComeFromTheNearestGoodDay) {
    const Location loc = place(65.0, 25.0, 2, 1);
    const PrayerDate date{21, 6, 2025};
    const Day nearest = computeDay(loc, conventions(1, 0, 5), date, 5);
    const Day none = computeDay(loc, conventions(1, 0, 0), date, 5);
    for (int s : {kImsaak, kFajr, kIshaa}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(nearest.rc[s], TALLIXTIME_OK);
        EXPECT_EQ(nearest.t[s].IsExtreme, 1);
        EXPECT_FALSE(noTime(nearest.t[s]));
        EXPECT_EQ(none.rc[s], TALLIXTIME_NO_TIME);
        EXPECT_TRUE(noTime(none.t[s]));
        EXPECT_EQ(none.t[s].IsExtreme, 0);
    }
    for (int s : {kShurooq, kDhuhr, kAsr, kMaghrib}) {
        EXPECT_EQ(nearest.t[s].IsExtreme, 0);
        EXPECT_EQ(seconds(nearest.t[s]), seconds(none.t[s]));
    }
    // Imsaak never comes after Fajr, even when the two are borrowed from different days.
    EXPECT_LT(circularDiff(seconds(nearest.t[kImsaak]), seconds(nearest.t[kFajr])), 0);

    // The borrowed times keep their distance from noon on the nearest date on which all four
    // twilight and horizon events occur, found here by asking day after day with ExtremeMethod
    // 0 (back first).
    auto shift = [](PrayerDate d, int days) {
        const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        d.Day += days;
        while (d.Day > len[d.Month - 1]) {
            d.Day -= len[d.Month - 1];
            ++d.Month;
        }
        while (d.Day < 1) {
            --d.Month;
            d.Day += len[d.Month - 1];
        }
        return d;
    };
    bool found = false;
    for (int k = 1; k <= 90 && !found; ++k) {
        for (int dir : {-1, +1}) {
            const Day other = computeDay(loc, conventions(1, 0, 0), shift(date, dir * k), 5);
            if (noTime(other.t[kFajr]) || noTime(other.t[kShurooq]) || noTime(other.t[kMaghrib]) ||
                noTime(other.t[kIshaa]))
                continue;
            auto fromNoon = [](const Day& d, int s) {
                return circularDiff(seconds(d.t[s]), seconds(d.t[kDhuhr]));
            };
            // One second of slack: each time is rounded to the second on its own.
            EXPECT_NEAR(fromNoon(nearest, kFajr), fromNoon(other, kFajr), 1) << dir * k;
            EXPECT_NEAR(fromNoon(nearest, kIshaa), fromNoon(other, kIshaa), 1) << dir * k;
            found = true;
            break;
        }
    }
    EXPECT_TRUE(found);
}

// 70 N, around the polar night: the days just outside it have a short day, the days inside take
// Shurooq and Maghrib from the nearest good day; nothing is ever out of range.
TEST(prayerlibExtremeLatitudes, DaysAroundThePolarNightBehave) {
    const Location loc = place(70.0, 25.0, 1);
    struct Span {
        int month, first, last;
    };
    int flagged = 0, plain = 0;
    for (const Span& sp : {Span{11, 15, 30}, Span{12, 1, 5}, Span{1, 8, 25}}) {
        for (int day = sp.first; day <= sp.last; ++day) {
            const PrayerDate date{day, sp.month, 2025};
            SCOPED_TRACE(std::to_string(sp.month) + "/" + std::to_string(day));
            const Day d = computeDay(loc, conventions(1, 0, 5), date, 5);
            const Day strict = computeDay(loc, conventions(1, 0, 0), date, 5);
            for (int s = 0; s < 7; ++s) {
                ASSERT_EQ(d.rc[s], TALLIXTIME_OK) << s;
                EXPECT_GE(d.t[s].Hour, 0);
                EXPECT_LE(d.t[s].Hour, 23);
                EXPECT_GE(d.t[s].Minute, 0);
                EXPECT_LE(d.t[s].Minute, 59);
                EXPECT_GE(d.t[s].Second, 0);
                EXPECT_LE(d.t[s].Second, 59);
                EXPECT_EQ(d.t[s].IsExtreme, noTime(strict.t[s]) ? 1 : 0) << s;
            }
            // Morning before noon before evening, borrowed or not.
            EXPECT_LT(seconds(d.t[kShurooq]), seconds(d.t[kDhuhr]));
            EXPECT_LT(seconds(d.t[kDhuhr]), seconds(d.t[kMaghrib]));
            (d.t[kShurooq].IsExtreme ? flagged : plain)++;
            EXPECT_EQ(d.t[kShurooq].IsExtreme, d.t[kMaghrib].IsExtreme);
        }
    }
    EXPECT_GT(flagged, 5);
    EXPECT_GT(plain, 5);
}

TEST(prayerlibExtremeLatitudes, NoGoodDayWithinHalfAYearGivesNoTime) {
    const CalcMethod c = conventions(1, 0, 5);
    for (double lat : {89.0, 90.0, -90.0}) {
        const Location loc = place(lat, 10.0, 1);
        const Day d = computeDay(loc, c, {21, 12, 2025}, 5);
        SCOPED_TRACE(lat);
        EXPECT_EQ(d.rc[kFajr], TALLIXTIME_NO_TIME);
        EXPECT_TRUE(noTime(d.t[kFajr]));
        EXPECT_TRUE(noTime(d.t[kShurooq]));
    }
}

// Expected rounding from the unrounded time of the same day.
int rounded(int secs, int mode, int slot) {
    const int sec = secs % 60;
    const bool down = slot == kImsaak || slot == kShurooq;
    int r = secs;
    if (mode == 1)
        r += sec >= 30 ? 60 - sec : -sec;
    else if (mode == 2)
        r += (!down && sec >= 30) ? 60 - sec : -sec;
    else if (mode == 3)
        r += (!down && sec >= 1) ? 60 - sec : -sec;
    return r % 86400;
}

TEST(prayerlibRounding, FourModesOverEverySlot) {
    const Location loc = place(-33.9249, 18.4241, 2);
    for (int day = 1; day <= 10; ++day) { // ten days give seconds on both sides of 30
        const PrayerDate date{day, 4, 2027};
        const Day exact = computeDay(loc, conventions(1, 0), date, 5);
        for (int mode = 0; mode <= 3; ++mode) {
            const Day r = computeDay(loc, conventions(1, mode), date, 5);
            for (int s = 0; s < 7; ++s) {
                EXPECT_EQ(seconds(r.t[s]), rounded(seconds(exact.t[s]), mode, s))
                    << "day " << day << " mode " << mode << " slot " << s;
                if (mode != 0) {
                    EXPECT_EQ(r.t[s].Second, 0);
                }
            }
        }
    }
}

TEST(prayerlibRounding, CarriesIntoTheHourAndWrapsMidnight) {
    // Move the zone so that Maghrib falls at 23:59:40 unrounded.
    Location loc = place(21.4225, 39.8262, 3);
    const PrayerDate date{1, 1, 2030};
    const int maghrib = seconds(computeDay(loc, conventions(), date, 4).t[kMaghrib]);
    loc.GmtDiff += (86400 - 20 - maghrib) / 3600.0;
    const Day exact = computeDay(loc, conventions(), date, 4);
    ASSERT_EQ(exact.t[kMaghrib].Hour, 23);
    ASSERT_EQ(exact.t[kMaghrib].Minute, 59);
    ASSERT_GE(exact.t[kMaghrib].Second, 30);
    const Day normal = computeDay(loc, conventions(1, 1), date, 4);
    EXPECT_EQ(normal.t[kMaghrib].Hour, 0);
    EXPECT_EQ(normal.t[kMaghrib].Minute, 0);
    EXPECT_EQ(normal.t[kMaghrib].Second, 0);
}

TEST(prayerlibDayBoundary, DhuhrFallsNearLocalNoonWhateverTheZone) {
    const struct {
        double lon, gmt;
    } rows[] = {{-157.43, 14}, {170.0, -12}, {-179.5, 12}, {0.0, 0}, {135.0, 9}, {-70.0, -4}};
    for (const auto& r : rows) {
        const Location loc = place(5.0, r.lon, r.gmt);
        const Day d = computeDay(loc, conventions(), {15, 5, 2025}, 5);
        // Local solar noon is 12:00 - (lon/15 - gmt) hours, modulo a whole day.
        const double solar = std::remainder(12.0 + r.gmt - r.lon / 15.0, 24.0);
        const double got = seconds(d.t[kDhuhr]) / 3600.0;
        EXPECT_NEAR(std::remainder(got - solar, 24.0), 0.0, 0.3) << r.lon << " " << r.gmt;
    }
}

TEST(prayerlibDayBoundary, IshaaAfterMidnightIsItsTimeOfDay) {
    const Location loc = place(55.9533, -3.1883, 0, 1); // Edinburgh, summer time
    CalcMethod c = conventions();
    c.IshaaInterval = 150;
    const Day d = computeDay(loc, c, {20, 6, 2025}, 7);
    EXPECT_EQ(seconds(d.t[kIshaa]), (seconds(d.t[kMaghrib]) + 150 * 60) % 86400);
    EXPECT_LT(d.t[kIshaa].Hour, 3); // 22:0x + 2.5 h
    EXPECT_EQ(d.t[kIshaa].IsExtreme, 0);
}

TEST(prayerlibDayBoundary, DaylightSavingShiftsEveryTimeByItsHours) {
    Location loc = place(52.52, 13.405, 1, 0);
    const PrayerDate date{2, 7, 2025};
    const Day winter = computeDay(loc, conventions(), date, 5);
    loc.Dst = 1;
    const Day summer = computeDay(loc, conventions(), date, 5);
    for (int s = 0; s < 7; ++s)
        EXPECT_EQ(circularDiff(seconds(summer.t[s]), seconds(winter.t[s])), 3600) << s;
}

TEST(prayerlibHorizon, HeightWidensTheDayAndAirlessnessNarrowsIt) {
    const PrayerDate date{20, 3, 2025};
    Location loc = place(0.0, 30.0, 2);
    const Day sea = computeDay(loc, conventions(), date, 5);
    loc.SeaLevel = 1000;
    const Day high = computeDay(loc, conventions(), date, 5);
    // The sea horizon seen from 1000 m lies about 1 degree down: 4 minutes at the equator.
    const int earlier = seconds(sea.t[kShurooq]) - seconds(high.t[kShurooq]);
    EXPECT_GT(earlier, 225);
    EXPECT_LT(earlier, 265);
    EXPECT_EQ(seconds(high.t[kDhuhr]), seconds(sea.t[kDhuhr]));
    EXPECT_EQ(seconds(high.t[kFajr]), seconds(sea.t[kFajr]));
    loc.SeaLevel = 0;
    loc.Pressure = 0; // no air: about 34' less lift, 2.3 minutes at the equator
    const Day airless = computeDay(loc, conventions(), date, 5);
    const int later = seconds(airless.t[kShurooq]) - seconds(sea.t[kShurooq]);
    EXPECT_GT(later, 125);
    EXPECT_LT(later, 150);
}

TEST(prayerlibOffsets, UseOffsetsAddsMinutesPerSlot) {
    const Location loc = place(30.0444, 31.2357, 2);
    const PrayerDate date{9, 10, 2025};
    CalcMethod c = conventions();
    const Day plain = computeDay(loc, c, date, 1);
    c.UseOffsets = 1;
    for (int i = 0; i < 6; ++i)
        c.Offsets[i] = i - 2.5;
    const Day moved = computeDay(loc, c, date, 1);
    EXPECT_EQ(seconds(moved.t[kImsaak]), seconds(plain.t[kImsaak]));
    for (int s = 1; s < 7; ++s)
        EXPECT_EQ(seconds(moved.t[s]) - seconds(plain.t[s]), (s - 3.5) * 60) << s;
}

TEST(prayerlibQiblah, PositiveTowardTheWestNegativeTowardTheEast) {
    const struct {
        const char* name;
        double lat, lon, expected;
    } rows[] = {
        {"London", 51.5074, -0.1278, -119.0},   {"New York", 40.7128, -74.006, -58.5},
        {"Jakarta", -6.2088, 106.8456, 64.8},   {"Kaaba", 21.4225, 39.8262, 0.0},
        {"Antipode", -21.4225, -140.1738, 0.0}, {"Due south (Istanbul side)", 41.0, 39.8262, 180.0},
    };
    for (const auto& r : rows) {
        const Location loc = place(r.lat, r.lon, 0);
        const double q = getNorthQibla(&loc);
        EXPECT_FALSE(std::isnan(q)) << r.name;
        EXPECT_NEAR(std::fabs(r.expected) == 180.0 ? std::fabs(q) : q, r.expected, 0.5) << r.name;
    }
}

} // namespace

// The library remembers days per thread and starts its searches from them: the times of a day must
// not depend on which days the thread computed before (forward, backward, or nothing but this one).
TEST(prayerlibMemory, ADayDoesNotDependOnTheDaysComputedBefore) {
    for (double lat : {21.4, 65.0, 70.0}) {
        const Location loc = place(lat, 25.0, 2);
        const CalcMethod conf = conventions(1, 0, 5);
        std::vector<PrayerDate> dates;
        const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= len[m - 1]; ++d)
                dates.push_back({d, m, 2025});
        std::vector<Day> forward, backward(dates.size());
        for (const PrayerDate& date : dates)
            forward.push_back(computeDay(loc, conf, date, 5));
        std::thread([&] {
            for (std::size_t i = dates.size(); i-- > 0;)
                backward[i] = computeDay(loc, conf, dates[i], 5);
        }).join();
        for (std::size_t i = 0; i < dates.size(); i += 7) {
            Day alone;
            std::thread([&] { alone = computeDay(loc, conf, dates[i], 5); }).join();
            for (const Day* other : {&backward[i], &alone}) {
                for (int s = 0; s < 7; ++s) {
                    SCOPED_TRACE(std::to_string(lat) + " day " + std::to_string(i) + " slot " +
                                 std::to_string(s));
                    ASSERT_EQ(forward[i].rc[s], other->rc[s]);
                    ASSERT_EQ(forward[i].t[s].IsExtreme, other->t[s].IsExtreme);
                    // Searches from different starts end within a fraction of a second.
                    EXPECT_LE(
                        std::abs(circularDiff(seconds(forward[i].t[s]), seconds(other->t[s]))), 1);
                }
            }
        }
    }
}
