// The library's two exports: argument checks, the method conventions, the extreme-latitude rule,
// the conversion to rounded local clock time, the per-thread cache of the last day, the Qiblah.
#include "tallixtime.h"

#include "prayerday.h"
#include "solar.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <numbers>

using namespace prayerlib;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr int kHalfYear = 183; // days searched each way for a good day
constexpr double kKaabaLatitude = 21.4225;
constexpr double kKaabaLongitude = 39.8262;

bool inRange(double v, double lo, double hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool validDate(const PrayerDate& d) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.Year < 1 || d.Year > 9999 || d.Month < 1 || d.Month > 12 || d.Day < 1)
        return false;
    return d.Day <= days[d.Month - 1] + (d.Month == 2 && isLeap(d.Year) ? 1 : 0);
}

bool validLocation(const Location& l) {
    return inRange(l.Longitude, -180.0, 180.0) && inRange(l.Latitude, -90.0, 90.0) &&
           inRange(l.GmtDiff, -24.0, 24.0) && l.Dst >= -24 && l.Dst <= 24 &&
           inRange(l.SeaLevel, -1.0e4, 1.0e5) && inRange(l.Pressure, 0.0, 2000.0) &&
           inRange(l.Temperature, -150.0, 150.0);
}

bool validInterval(int minutes) {
    return minutes >= 0 && minutes <= 1440;
}

bool validAngle(double a) {
    return inRange(a, 0.0, 89.0);
}

// The method number and the record together give the conventions; false for bad values.
bool resolveConventions(const CalcMethod& c, int method, Conventions& conv) {
    if (c.AsrMethod != 1 && c.AsrMethod != 2)
        return false;
    if (c.Rounding < 0 || c.Rounding > 3)
        return false;
    conv.asrFactor = c.AsrMethod;
    switch (method) {
    case 0:
    case 7:
        conv.fajrAngle = c.FajrAngle;
        conv.fajrInterval = c.FajrInterval;
        conv.ishaaAngle = c.IshaaAngle;
        conv.ishaaInterval = c.IshaaInterval;
        conv.ishaaByInterval = method == 7 || c.IshaaInterval != 0;
        if (!validInterval(c.FajrInterval) || !validInterval(c.IshaaInterval))
            return false;
        if (c.FajrInterval == 0 && !validAngle(c.FajrAngle))
            return false;
        if (!conv.ishaaByInterval && !validAngle(c.IshaaAngle))
            return false;
        break;
    case 1:
        conv.fajrAngle = 19.5;
        conv.ishaaAngle = 17.5;
        break;
    case 2:
    case 3:
        conv.fajrAngle = 18.0;
        conv.ishaaAngle = 18.0;
        break;
    case 4:
        conv.fajrAngle = 15.0;
        conv.ishaaAngle = 15.0;
        break;
    case 5:
        conv.fajrAngle = 18.0;
        conv.ishaaAngle = 17.0;
        break;
    case 6:
        conv.fajrAngle = 18.5;
        conv.ishaaInterval = 90;
        conv.ishaaByInterval = true;
        break;
    default:
        return false;
    }
    conv.imsaakInterval = c.ImsaakInterval;
    if (!validInterval(c.ImsaakInterval))
        return false;
    // With a Fajr interval the record's Fajr angle may be anything; Imsaak by angle needs one.
    const double fajrForImsaak = std::isfinite(conv.fajrAngle) ? conv.fajrAngle : 0.0;
    conv.imsaakAngle = fajrForImsaak + c.ImsaakAngle;
    if (c.ImsaakInterval == 0 && !validAngle(conv.imsaakAngle))
        return false;
    if (c.UseOffsets != 0) {
        for (int i = 0; i < 6; ++i) // by index: the packed doubles may be misaligned
            if (!inRange(c.Offsets[i], -1440.0, 1440.0))
                return false;
    }
    return true;
}

constexpr PrayerTime kNoTime = {99, 99, 0, 0};

// Days of UT from 0h UT of some date -> rounded local time of day.
PrayerTime toClock(double t, double zoneHours, double offsetMinutes, int rounding, int slot) {
    long long s = std::llround(t * 86400.0 + zoneHours * 3600.0 + offsetMinutes * 60.0);
    const long long sec = ((s % 60) + 60) % 60;
    const bool roundDown = slot == Imsaak || slot == Shurooq;
    switch (rounding) {
    case 1:
        s += sec >= 30 ? 60 - sec : -sec;
        break;
    case 2:
        s += (!roundDown && sec >= 30) ? 60 - sec : -sec;
        break;
    case 3:
        s += (!roundDown && sec >= 1) ? 60 - sec : -sec;
        break;
    default:
        break;
    }
    s = ((s % 86400) + 86400) % 86400;
    PrayerTime pt;
    pt.Hour = static_cast<int>(s / 3600);
    pt.Minute = static_cast<int>(s / 60 % 60);
    pt.Second = static_cast<int>(s % 60);
    pt.IsExtreme = 0;
    return pt;
}

struct DayResult {
    PrayerTime times[SlotCount];
    int codes[SlotCount];
};

void computeAll(const Location& loc, const CalcMethod& conf, const PrayerDate& date, int method,
                DayResult& out) {
    Conventions conv;
    if (!validLocation(loc) || !validDate(date) || !resolveConventions(conf, method, conv)) {
        for (int s = 0; s < SlotCount; ++s) {
            out.times[s] = kNoTime;
            out.codes[s] = TALLIXTIME_BAD_INPUT;
        }
        return;
    }

    Observer obs;
    obs.latitude = loc.Latitude;
    obs.longitude = loc.Longitude;
    obs.zoneHours = loc.GmtDiff + loc.Dst;
    // Horizon refraction of 34' at 1010 mb and 10 C, scaled by the air's density; the dip of
    // the sea horizon seen from SeaLevel metres (geometric, Earth radius 6371 km).
    const double refraction =
        34.0 / 60.0 * (loc.Pressure / 1010.0) * (283.0 / (273.0 + loc.Temperature));
    const double dip =
        loc.SeaLevel > 0.0 ? std::acos(6371000.0 / (6371000.0 + loc.SeaLevel)) / kDeg : 0.0;
    obs.horizon = -(refraction + dip);

    const double jd0 = julianDay(date.Year, date.Month, date.Day);
    RememberedDays& days = RememberedDays::forSetting(obs, conv);
    const DayEvents today = days.at(jd0);

    double t[SlotCount];
    bool extreme[SlotCount] = {};
    int missing = 0;
    for (int s = 0; s < SlotCount; ++s) {
        t[s] = today.t[s];
        if (!std::isfinite(t[s]))
            ++missing;
    }

    // Nearest good day: back one day, forward one day, back two... up to half a year. A slot
    // takes its time from the nearest day on which Fajr, Shurooq, Maghrib and Ishaa all occur
    // and the slot's own event occurs too.
    if (missing > 0 && conf.ExtremeMethod != 0) {
        for (int k = 1; k <= kHalfYear && missing > 0; ++k) {
            for (int dir : {-1, +1}) {
                const DayEvents& other = days.at(jd0 + dir * k);
                if (!other.good())
                    continue;
                for (int s = 0; s < SlotCount; ++s) {
                    if (!std::isfinite(t[s]) && std::isfinite(other.t[s])) {
                        // A borrowed time keeps its distance from that day's noon, so that
                        // the drift of noon across the gap (the equation of time) can never
                        // put a borrowed Maghrib before today's Dhuhr. Imsaak keeps its lead
                        // over Fajr, so that it never comes after a Fajr from a nearer day.
                        t[s] = s == Imsaak ? other.t[Imsaak] - other.t[Fajr]
                                           : other.t[s] - other.t[Dhuhr] + today.t[Dhuhr];
                        extreme[s] = true;
                        --missing;
                    }
                }
                if (missing == 0)
                    break;
            }
        }
    }

    if (extreme[Imsaak])
        t[Imsaak] += t[Fajr];

    for (int s = 0; s < SlotCount; ++s) {
        if (!std::isfinite(t[s])) {
            out.times[s] = kNoTime;
            out.codes[s] = TALLIXTIME_NO_TIME;
            continue;
        }
        const double offset = (conf.UseOffsets != 0 && s > 0) ? conf.Offsets[s - 1] : 0.0;
        out.times[s] = toClock(t[s], obs.zoneHours, offset, conf.Rounding, s);
        out.times[s].IsExtreme = extreme[s] ? 1 : 0;
        out.codes[s] = TALLIXTIME_OK;
    }
}

// The last day computed on this thread, keyed on the bytes of everything it depends on.
struct DayCache {
    bool valid = false;
    Location loc{};
    CalcMethod conf{};
    PrayerDate date{};
    int method = 0;
    DayResult result{};
};

thread_local constinit DayCache cache;

} // namespace

extern "C" int getPrayer(PrayerTime* pt, const Location* loc, const CalcMethod* conf,
                         const PrayerDate* date, int slot, int method) {
    if (!pt || !loc || !conf || !date || slot < 0 || slot >= SlotCount) {
        if (pt)
            *pt = kNoTime;
        return TALLIXTIME_BAD_INPUT;
    }
    DayCache& c = cache;
    const bool same = c.valid && method == c.method &&
                      std::memcmp(&c.date, date, sizeof(PrayerDate)) == 0 &&
                      std::memcmp(&c.loc, loc, sizeof(Location)) == 0 &&
                      std::memcmp(&c.conf, conf, sizeof(CalcMethod)) == 0;
    if (!same) {
        c.valid = false;
        computeAll(*loc, *conf, *date, method, c.result);
        std::memcpy(&c.loc, loc, sizeof(Location));
        std::memcpy(&c.conf, conf, sizeof(CalcMethod));
        std::memcpy(&c.date, date, sizeof(PrayerDate));
        c.method = method;
        c.valid = true;
    }
    *pt = c.result.times[slot];
    return c.result.codes[slot];
}

extern "C" double getNorthQibla(const Location* loc) {
    if (!loc || !inRange(loc->Latitude, -90.0, 90.0) || !inRange(loc->Longitude, -180.0, 180.0))
        return std::numeric_limits<double>::quiet_NaN();
    // Initial great-circle course from the place to the Kaaba, clockwise from north.
    const double lat = loc->Latitude * kDeg;
    const double latK = kKaabaLatitude * kDeg;
    const double dLon = (kKaabaLongitude - loc->Longitude) * kDeg;
    const double y = std::sin(dLon) * std::cos(latK);
    const double x =
        std::cos(lat) * std::sin(latK) - std::sin(lat) * std::cos(latK) * std::cos(dLon);
    // At the Kaaba and at its antipode every direction is as good as any other: say north.
    if (std::hypot(x, y) < 1e-12)
        return 0.0;
    const double course = std::atan2(y, x) / kDeg;
    // Counter-clockwise from north: west positive.
    double q = -course;
    if (q > 180.0)
        q -= 360.0;
    if (q <= -180.0)
        q += 360.0;
    return q == 0.0 ? 0.0 : q;
}
