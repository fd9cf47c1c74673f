// Speed of getPrayer: the seven calls of one day (a new day each time, so the per-thread caches
// only serve the six calls after the first), a whole year of days, and a call served from the
// cache.
#include "tallixtime.h"

#include <benchmark/benchmark.h>

namespace {

Location london() {
    Location l{};
    l.Longitude = -0.1278;
    l.Latitude = 51.5074;
    l.Pressure = 1010;
    l.Temperature = 10;
    return l;
}

CalcMethod standard() {
    CalcMethod c{};
    c.ImsaakAngle = 1.5;
    c.AsrMethod = 1;
    c.NearestLatitude = 48.5;
    c.ExtremeMethod = 5;
    return c;
}

void BM_OneDaySevenCalls(benchmark::State& state) {
    Location loc = london();
    loc.Latitude = 21.4; // every Fajr and Ishaa occurs
    const CalcMethod conf = standard();
    PrayerDate date{1, 1, 2000};
    PrayerTime pt;
    const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (auto _ : state) {
        // The next day, through a century: the library never has computed it before.
        if (++date.Day > len[date.Month - 1] + (date.Month == 2 && date.Year % 4 == 0)) {
            date.Day = 1;
            if (++date.Month > 12) {
                date.Month = 1;
                date.Year = date.Year == 2099 ? 2000 : date.Year + 1;
            }
        }
        for (int slot = 0; slot < 7; ++slot) {
            getPrayer(&pt, &loc, &conf, &date, slot, 5);
            benchmark::DoNotOptimize(pt);
        }
    }
}
BENCHMARK(BM_OneDaySevenCalls);

void BM_WholeYear(benchmark::State& state) {
    Location loc = london();
    loc.Latitude = state.range(0) / 10.0;
    const CalcMethod conf = standard();
    const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    PrayerTime pt;
    int year = 2000;
    for (auto _ : state) {
        // Another year each time, which no cache has seen (non-leap, so all are alike).
        year = year == 2099 ? 2001 : year + 1 + (year % 4 == 3);
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= len[m - 1]; ++d) {
                const PrayerDate date{d, m, year};
                for (int slot = 0; slot < 7; ++slot) {
                    getPrayer(&pt, &loc, &conf, &date, slot, 5);
                    benchmark::DoNotOptimize(pt);
                }
            }
    }
}
// 21.4 N; 51.5 N (summer nights borrow Fajr and Ishaa from the nearest good day); 65 N.
BENCHMARK(BM_WholeYear)->Arg(214)->Arg(515)->Arg(650)->Unit(benchmark::kMicrosecond);

void BM_CachedCall(benchmark::State& state) {
    const Location loc = london();
    const CalcMethod conf = standard();
    const PrayerDate date{1, 3, 2025};
    PrayerTime pt;
    for (auto _ : state) {
        getPrayer(&pt, &loc, &conf, &date, 3, 5);
        benchmark::DoNotOptimize(pt);
    }
}
BENCHMARK(BM_CachedCall);

void BM_Qiblah(benchmark::State& state) {
    const Location loc = london();
    for (auto _ : state)
        benchmark::DoNotOptimize(getNorthQibla(&loc));
}
BENCHMARK(BM_Qiblah);

} // namespace

BENCHMARK_MAIN();
