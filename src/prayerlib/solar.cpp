// Solar position after Meeus, Astronomical Algorithms (2nd ed.): the Sun's geometric longitude
// and distance (ch. 25), nutation and the obliquity of the ecliptic (ch. 22), aberration, the
// apparent sidereal time (ch. 12) and delta T from the Espenak-Meeus polynomials.
#include "solar.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace prayerlib {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;
constexpr double kJ2000 = 2451545.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A search stops once its correction is below this many days (0.09 s).
constexpr double kTolerance = 1e-6;
constexpr int kMaxSteps = 20;
// Rate of the Sun's hour angle: the sidereal rate less the Sun's mean motion in right
// ascension, radians per day.
constexpr double kHourAngleRate = 2.0 * kPi * (360.98564736629 - 0.98564736) / 360.0;

double wrapPi(double a) {
    a = std::fmod(a, 2.0 * kPi);
    if (a > kPi)
        a -= 2.0 * kPi;
    else if (a < -kPi)
        a += 2.0 * kPi;
    return a;
}

} // namespace

double julianDay(int year, int month, int day) {
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    const int a = year / 100;
    const int b = 2 - a + a / 4;
    return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + day + b -
           1524.5;
}

double deltaT(double y) {
    if (y < -500.0 || y >= 2150.0) {
        const double u = (y - 1820.0) / 100.0;
        return -20.0 + 32.0 * u * u;
    }
    if (y < 500.0) {
        const double u = y / 100.0;
        return 10583.6 +
               u * (-1014.41 +
                    u * (33.78311 + u * (-5.952053 +
                                         u * (-0.1798452 + u * (0.022174192 + u * 0.0090316521)))));
    }
    if (y < 1600.0) {
        const double u = (y - 1000.0) / 100.0;
        return 1574.2 +
               u * (-556.01 +
                    u * (71.23472 + u * (0.319781 + u * (-0.8503463 +
                                                         u * (-0.005050998 + u * 0.0083572073)))));
    }
    if (y < 1700.0) {
        const double t = y - 1600.0;
        return 120.0 + t * (-0.9808 + t * (-0.01532 + t / 7129.0));
    }
    if (y < 1800.0) {
        const double t = y - 1700.0;
        return 8.83 + t * (0.1603 + t * (-0.0059285 + t * (0.00013336 - t / 1174000.0)));
    }
    if (y < 1860.0) {
        const double t = y - 1800.0;
        return 13.72 +
               t * (-0.332447 +
                    t * (0.0068612 +
                         t * (0.0041116 +
                              t * (-0.00037436 + t * (0.0000121272 +
                                                      t * (-0.0000001699 + t * 0.000000000875))))));
    }
    if (y < 1900.0) {
        const double t = y - 1860.0;
        return 7.62 + t * (0.5737 +
                           t * (-0.251754 + t * (0.01680668 + t * (-0.0004473624 + t / 233174.0))));
    }
    if (y < 1920.0) {
        const double t = y - 1900.0;
        return -2.79 + t * (1.494119 + t * (-0.0598939 + t * (0.0061966 - t * 0.000197)));
    }
    if (y < 1941.0) {
        const double t = y - 1920.0;
        return 21.20 + t * (0.84493 + t * (-0.076100 + t * 0.0020936));
    }
    if (y < 1961.0) {
        const double t = y - 1950.0;
        return 29.07 + t * (0.407 + t * (-1.0 / 233.0 + t / 2547.0));
    }
    if (y < 1986.0) {
        const double t = y - 1975.0;
        return 45.45 + t * (1.067 + t * (-1.0 / 260.0 - t / 718.0));
    }
    if (y < 2005.0) {
        const double t = y - 2000.0;
        return 63.86 + t * (0.3345 + t * (-0.060374 +
                                          t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
    }
    if (y < 2050.0) {
        const double t = y - 2000.0;
        return 62.92 + t * (0.32217 + t * 0.005589);
    }
    const double u = (y - 1820.0) / 100.0;
    return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - y);
}

SolarDay::SolarDay(double jd0, double latitudeDeg, double longitudeDeg, double approxNoon)
    : jd0_(jd0), lat_(latitudeDeg) {
    sinLat_ = std::sin(latitudeDeg * kDeg);
    cosLat_ = std::cos(latitudeDeg * kDeg);

    const double year = 2000.0 + (jd0 + approxNoon - kJ2000) / 365.2425;
    dtDays_ = deltaT(year) / 86400.0;

    // Slowly varying terms at the day's noon (TT).
    const double T = (jd0 + approxNoon + dtDays_ - kJ2000) / 36525.0;
    const double omega = (125.04452 - 1934.136261 * T) * kDeg;
    const double lSun = (280.4665 + 36000.7698 * T) * kDeg;
    const double lMoon = (218.3165 + 481267.8813 * T) * kDeg;
    const double dPsi = (-17.20 * std::sin(omega) - 1.32 * std::sin(2 * lSun) -
                         0.23 * std::sin(2 * lMoon) + 0.21 * std::sin(2 * omega)) /
                        3600.0;
    const double dEps = (9.20 * std::cos(omega) + 0.57 * std::cos(2 * lSun) +
                         0.10 * std::cos(2 * lMoon) - 0.09 * std::cos(2 * omega)) /
                        3600.0;
    const double eps0 = (84381.448 + T * (-46.8150 + T * (-0.00059 + T * 0.001813))) / 3600.0;
    const double eps = eps0 + dEps;
    sinEps_ = std::sin(eps * kDeg);
    cosEps_ = std::cos(eps * kDeg);

    // Earth-Sun distance (AU) from the mean anomaly and the equation of the centre.
    const double m = (357.52911 + T * (35999.05029 - 0.0001537 * T)) * kDeg;
    const double e = 0.016708634 - T * (0.000042037 + 0.0000001267 * T);
    const double c = ((1.914602 - T * (0.004817 + 0.000014 * T)) * std::sin(m) +
                      (0.019993 - 0.000101 * T) * std::sin(2 * m) + 0.000289 * std::sin(3 * m)) *
                     kDeg;
    const double r = 1.000001018 * (1.0 - e * e) / (1.0 + e * std::cos(m + c));

    lonCorrection_ = dPsi - 20.4898 / 3600.0 / r;
    semidiameter_ = 959.63 / 3600.0 / r;
    parallax_ = 8.794 / 3600.0 / r;

    // Greenwich mean sidereal time at 0h UT, the equation of the equinoxes, the longitude.
    const double d0 = jd0 - kJ2000;
    const double tu = (d0 + approxNoon) / 36525.0;
    double theta = std::fmod(280.46061837 + 360.98564736629 * d0, 360.0);
    theta += tu * tu * (0.000387933 - tu / 38710000.0);
    theta += dPsi * std::cos(eps * kDeg);
    siderealBase_ = theta + longitudeDeg;
}

double SolarDay::latitudeDeg() const {
    return lat_;
}

SunPlace SolarDay::at(double t) const {
    const double T = (jd0_ - kJ2000 + t + dtDays_) / 36525.0;
    const double l0 = 280.46646 + T * (36000.76983 + 0.0003032 * T);
    const double mDeg = std::fmod(357.52911 + T * (35999.05029 - 0.0001537 * T), 360.0);
    const double m = mDeg * kDeg;
    const double sm = std::sin(m);
    const double cm = std::cos(m);
    const double s2m = 2.0 * sm * cm;
    const double s3m = sm * (3.0 - 4.0 * sm * sm);
    const double c = (1.914602 - T * (0.004817 + 0.000014 * T)) * sm +
                     (0.019993 - 0.000101 * T) * s2m + 0.000289 * s3m;
    const double lambda = std::fmod(l0 + c + lonCorrection_, 360.0) * kDeg;
    const double sl = std::sin(lambda);
    const double cl = std::cos(lambda);
    const double ra = std::atan2(cosEps_ * sl, cl);

    SunPlace p;
    p.sinDec = sinEps_ * sl;
    p.cosDec = std::sqrt(1.0 - p.sinDec * p.sinDec);
    const double theta = std::fmod(siderealBase_ + 360.98564736629 * t, 360.0) * kDeg;
    p.hourAngle = wrapPi(theta - ra);
    return p;
}

double SolarDay::transit(double guess) const {
    double t = guess;
    for (int i = 0; i < kMaxSteps; ++i) {
        const double dt = -at(t).hourAngle / kHourAngleRate;
        t += dt;
        if (std::fabs(dt) < kTolerance)
            return t;
    }
    return kNaN;
}

double SolarDay::crossing(double guess, double altitudeDeg, int side) const {
    if (std::fabs(cosLat_) < 1e-12)
        return kNaN; // at a pole the hour angle tells nothing
    const double sinAlt = std::sin(altitudeDeg * kDeg);
    double t = guess;
    for (int i = 0; i < kMaxSteps; ++i) {
        const SunPlace p = at(t);
        const double cosH = (sinAlt - sinLat_ * p.sinDec) / (cosLat_ * p.cosDec);
        if (!(cosH >= -1.0 && cosH <= 1.0))
            return kNaN;
        const double target = side * std::acos(cosH);
        const double dt = wrapPi(target - p.hourAngle) / kHourAngleRate;
        t += dt;
        if (std::fabs(dt) < kTolerance)
            return t;
    }
    return kNaN;
}

} // namespace prayerlib
