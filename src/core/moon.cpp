#include "moon.h"

#include "core/settings.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;

constexpr double kEpoch = 2444238.5;       // 1980 January 0.0
constexpr double kTropicalYear = 365.2422; // days
constexpr double kSunLongitudeEpoch = 278.83354;
constexpr double kSunPerigee = 282.596403;
constexpr double kEccentricity = 0.016718;
constexpr double kMoonLongitudeEpoch = 64.975464;
constexpr double kMoonDailyMotion = 13.1763966;
constexpr double kMoonPerigeeEpoch = 349.383063;
constexpr double kMoonPerigeeMotion = 0.1114041;
constexpr double kSynodicMonth = 29.53058868;
constexpr double kKeplerTolerance = 1e-6;
// Newton's iteration converges in a handful of rounds for the Earth's orbit; the bound only
// matters for arguments it cannot settle.
constexpr int kKeplerRounds = 100;

// A step of the computation: a value that is not a finite number leaves the variable as it was.
void step(double& variable, double value) {
    if (std::isfinite(value))
        variable = value;
}

double sinDeg(double x) {
    return std::sin(DegToRad(x));
}

} // namespace

double DegToRad(double x) {
    return x * (kPi / 180.0);
}
double RadToDeg(double x) {
    return x * (180.0 / kPi);
}
double FixAngle(double x) {
    return x - 360.0 * std::floor(x / 360.0);
}

double SolveKepler(double dblM, double dblE) {
    double m = 0.0;
    step(m, DegToRad(dblM));
    double e = m;
    for (int round = 0; round < kKeplerRounds; ++round) {
        double delta = 0.0;
        step(delta, e - dblE * std::sin(e) - m);
        step(e, e - delta / (1.0 - dblE * std::cos(e)));
        if (std::fabs(delta) <= kKeplerTolerance)
            break;
    }
    return e;
}

double MoonPhase(double jd, std::int32_t iMode) {
    double day = 0, n = 0, m = 0, e = 0, ec = 0, lambdaSun = 0, ml = 0, mm = 0, ev = 0, ae = 0;
    double a3 = 0, mmP = 0, mEc = 0, a4 = 0, lP = 0, v = 0, lPP = 0, age = 0;

    step(day, jd - kEpoch);
    step(n, FixAngle((360.0 / kTropicalYear) * day));
    step(m, FixAngle(n + kSunLongitudeEpoch - kSunPerigee));
    step(e, SolveKepler(m, kEccentricity));
    step(ec, std::sqrt((1.0 + kEccentricity) / (1.0 - kEccentricity)) * std::tan(e / 2.0));
    step(ec, 2.0 * RadToDeg(std::atan(ec)));
    step(lambdaSun, FixAngle(ec + kSunPerigee));

    step(ml, FixAngle(kMoonDailyMotion * day + kMoonLongitudeEpoch));
    step(mm, FixAngle(ml - kMoonPerigeeMotion * day - kMoonPerigeeEpoch));
    step(ev, 1.2739 * sinDeg(2.0 * (ml - lambdaSun) - mm));
    step(ae, 0.1858 * sinDeg(m));
    step(a3, 0.37 * sinDeg(m));
    step(mmP, mm + ev - ae - a3);
    step(mEc, 6.2886 * sinDeg(mmP));
    step(a4, 0.214 * sinDeg(2.0 * mmP));
    step(lP, ml + ev + mEc - ae + a4);
    step(v, 0.6583 * sinDeg(2.0 * (lP - lambdaSun)));
    step(lPP, lP + v);
    step(age, lPP - lambdaSun);

    switch (iMode) {
    case 0:
        return (1.0 - std::cos(DegToRad(age))) / 2.0;
    case 1:
        return FixAngle(age) / 360.0 * kSynodicMonth;
    default:
        return 0.0;
    }
}

double DateToJulianDay(const Date& dt) {
    const QDate date = dt.toQDate();
    if (!date.isValid())
        return 0.0;
    const int d = date.day();
    const int mo = date.month();
    const int yr = date.year();
    const double tz = TimeZoneIndexToHours(gTimeZone);

    double y = yr;
    double m = mo;
    if (mo <= 2) {
        y -= 1;
        m += 12;
    }
    // The Gregorian correction from 4 October 1582 on.
    double b = 0.0;
    if (yr > 1582 || (yr == 1582 && (mo > 10 || (mo == 10 && d >= 4))))
        b = 2.0 - std::floor(y / 100.0) + std::floor(y / 100.0 / 4.0);
    return std::floor((y + 4716.0) * 365.25) + std::floor((m + 1.0) * 30.6001) + d - tz / 24.0 + b -
           1524.5;
}
