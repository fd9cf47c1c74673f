// Records as the program fills them, and small helpers for the prayer-library tests.
#pragma once

#include "tallixtime.h"

#include <array>

namespace prayertest {

inline Location place(double lat, double lon, double gmt, int dst = 0) {
    Location l{};
    l.Longitude = lon;
    l.Latitude = lat;
    l.GmtDiff = gmt;
    l.Dst = dst;
    l.SeaLevel = 0;
    l.Pressure = 1010;
    l.Temperature = 10;
    return l;
}

inline CalcMethod conventions(int asr = 1, int rounding = 0, int extreme = 5) {
    CalcMethod c{};
    c.ImsaakAngle = 1.5;
    c.Rounding = rounding;
    c.AsrMethod = asr;
    c.NearestLatitude = 48.5;
    c.ExtremeMethod = extreme;
    return c;
}

struct Day {
    std::array<PrayerTime, 7> t;
    std::array<int, 7> rc;
};

inline Day computeDay(const Location& loc, const CalcMethod& conf, PrayerDate date, int method) {
    Day d;
    for (int s = 0; s < 7; ++s)
        d.rc[s] = getPrayer(&d.t[s], &loc, &conf, &date, s, method);
    return d;
}

inline bool noTime(const PrayerTime& t) {
    return t.Hour == 99 && t.Minute == 99;
}

inline int seconds(const PrayerTime& t) {
    return t.Hour * 3600 + t.Minute * 60 + t.Second;
}

// Difference a - b in seconds on the 24-hour circle, -43200..43200.
inline int circularDiff(int a, int b) {
    int d = ((a - b) % 86400 + 86400) % 86400;
    return d > 43200 ? d - 86400 : d;
}

} // namespace prayertest
