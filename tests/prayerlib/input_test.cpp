// Bad input gets a clear answer, and the per-thread day cache never serves a stale day.
#include "prayer_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

using namespace prayertest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(prayerlibInput, BadRecordsGiveNinetyNinesAndAnError) {
    struct Row {
        const char* what;
        std::function<void(Location&, CalcMethod&, PrayerDate&, int&, int&)> spoil;
    };
    const Row rows[] = {
        {"NaN latitude",
         [](Location& l, CalcMethod&, PrayerDate&, int&, int&) { l.Latitude = kNaN; }},
        {"latitude 91", [](Location& l, CalcMethod&, PrayerDate&, int&, int&) { l.Latitude = 91; }},
        {"longitude inf",
         [](Location& l, CalcMethod&, PrayerDate&, int&, int&) { l.Longitude = INFINITY; }},
        {"NaN zone", [](Location& l, CalcMethod&, PrayerDate&, int&, int&) { l.GmtDiff = kNaN; }},
        {"NaN pressure",
         [](Location& l, CalcMethod&, PrayerDate&, int&, int&) { l.Pressure = kNaN; }},
        {"month 13", [](Location&, CalcMethod&, PrayerDate& d, int&, int&) { d.Month = 13; }},
        {"month 0", [](Location&, CalcMethod&, PrayerDate& d, int&, int&) { d.Month = 0; }},
        {"29 Feb 2025",
         [](Location&, CalcMethod&, PrayerDate& d, int&, int&) {
             d = {29, 2, 2025};
         }},
        {"year 0", [](Location&, CalcMethod&, PrayerDate& d, int&, int&) { d.Year = 0; }},
        {"slot -1", [](Location&, CalcMethod&, PrayerDate&, int& s, int&) { s = -1; }},
        {"slot 7", [](Location&, CalcMethod&, PrayerDate&, int& s, int&) { s = 7; }},
        {"method 8", [](Location&, CalcMethod&, PrayerDate&, int&, int& m) { m = 8; }},
        {"method -1", [](Location&, CalcMethod&, PrayerDate&, int&, int& m) { m = -1; }},
        {"Asr 0", [](Location&, CalcMethod& c, PrayerDate&, int&, int&) { c.AsrMethod = 0; }},
        {"Rounding 4", [](Location&, CalcMethod& c, PrayerDate&, int&, int&) { c.Rounding = 4; }},
        {"NaN Fajr angle, method 0",
         [](Location&, CalcMethod& c, PrayerDate&, int&, int& m) {
             c.FajrAngle = kNaN;
             m = 0;
         }},
        {"Ishaa angle 95, method 0",
         [](Location&, CalcMethod& c, PrayerDate&, int&, int& m) {
             c.IshaaAngle = 95;
             m = 0;
         }},
        {"negative interval",
         [](Location&, CalcMethod& c, PrayerDate&, int&, int& m) {
             c.IshaaInterval = -5;
             m = 7;
         }},
        {"NaN offset in use",
         [](Location&, CalcMethod& c, PrayerDate&, int&, int&) {
             c.UseOffsets = 1;
             c.Offsets[3] = kNaN;
         }},
    };
    for (const Row& r : rows) {
        Location loc = place(48.8566, 2.3522, 1);
        CalcMethod conf = conventions();
        conf.FajrAngle = 18;
        conf.IshaaAngle = 17;
        PrayerDate date{12, 5, 2025};
        int slot = 1, method = 5;
        r.spoil(loc, conf, date, slot, method);
        PrayerTime pt{7, 7, 7, 7};
        EXPECT_EQ(getPrayer(&pt, &loc, &conf, &date, slot, method), TALLIXTIME_BAD_INPUT) << r.what;
        EXPECT_TRUE(noTime(pt)) << r.what;
        EXPECT_EQ(pt.Second, 0) << r.what;
        EXPECT_EQ(pt.IsExtreme, 0) << r.what;
    }
}

TEST(prayerlibInput, NullPointersAreRefused) {
    Location loc = place(48.8566, 2.3522, 1);
    CalcMethod conf = conventions();
    PrayerDate date{12, 5, 2025};
    PrayerTime pt{};
    EXPECT_EQ(getPrayer(nullptr, &loc, &conf, &date, 1, 5), TALLIXTIME_BAD_INPUT);
    EXPECT_EQ(getPrayer(&pt, nullptr, &conf, &date, 1, 5), TALLIXTIME_BAD_INPUT);
    EXPECT_EQ(getPrayer(&pt, &loc, nullptr, &date, 1, 5), TALLIXTIME_BAD_INPUT);
    EXPECT_EQ(getPrayer(&pt, &loc, &conf, nullptr, 1, 5), TALLIXTIME_BAD_INPUT);
    EXPECT_TRUE(noTime(pt));
    EXPECT_TRUE(std::isnan(getNorthQibla(nullptr)));
    loc.Latitude = 120;
    EXPECT_TRUE(std::isnan(getNorthQibla(&loc)));
}

TEST(prayerlibCache, ChangedRecordsAreNeverServedFromTheLastDay) {
    Location loc = place(48.8566, 2.3522, 1);
    CalcMethod conf = conventions();
    PrayerDate date{12, 5, 2025};
    PrayerTime first{}, again{};
    ASSERT_EQ(getPrayer(&first, &loc, &conf, &date, 4, 5), TALLIXTIME_OK);
    conf.AsrMethod = 2;
    getPrayer(&again, &loc, &conf, &date, 4, 5);
    EXPECT_GT(seconds(again), seconds(first) + 1800);
    conf.AsrMethod = 1;
    date.Day = 13;
    getPrayer(&again, &loc, &conf, &date, 4, 5);
    EXPECT_NE(seconds(again), seconds(first));
    // A bad call in between does not spoil the good day.
    date.Month = 13;
    getPrayer(&again, &loc, &conf, &date, 4, 5);
    date = {12, 5, 2025};
    getPrayer(&again, &loc, &conf, &date, 4, 5);
    EXPECT_EQ(seconds(again), seconds(first));
}

TEST(prayerlibCache, ThreadsComputingDifferentPlacesAgreeWithOneThread) {
    const double lats[] = {-33.9, 3.1, 21.4, 51.5, 59.9, 40.7};
    std::vector<Day> alone;
    for (double lat : lats)
        alone.push_back(computeDay(place(lat, 10, 1), conventions(), {1, 3, 2026}, 5));
    std::vector<std::vector<Day>> got(std::size(lats));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < std::size(lats); ++i) {
        threads.emplace_back([&, i] {
            for (int n = 0; n < 200; ++n) // interleave with the other threads
                got[i].push_back(computeDay(place(lats[i], 10, 1), conventions(), {1, 3, 2026}, 5));
        });
    }
    for (std::thread& t : threads)
        t.join();
    for (size_t i = 0; i < std::size(lats); ++i)
        for (const Day& d : got[i])
            for (int s = 0; s < 7; ++s)
                ASSERT_EQ(seconds(d.t[s]), seconds(alone[i].t[s])) << lats[i] << " slot " << s;
}

} // namespace
