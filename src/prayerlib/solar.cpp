// Solar position after Meeus, Astronomical Algorithms (2nd ed.): the Sun's geometric longitude
// and distance (ch. 25), nutation and the obliquity of the ecliptic (ch. 22), aberration, the
// apparent sidereal time (ch. 12); interpolated between three full places a day.
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
// Newton's method squares the error each step: after a step below this (8.6 s) what is left is
// far below the tolerance above.
constexpr double kNewtonTolerance = 1e-4;

double wrapPi(double a) {
    if (std::fabs(a) > 8.0 * kPi)
        return a - 2.0 * kPi * std::nearbyint(a / (2.0 * kPi));
    while (a > kPi)
        a -= 2.0 * kPi;
    while (a < -kPi)
        a += 2.0 * kPi;
    return a;
}

} // namespace

namespace {

// The Sun's apparent place at an instant of UT, in full.
struct Place {
    double ra;  // radians
    double dec; // radians
    double sinDec, cosDec;
    double r;           // AU
    double equinoxesEq; // equation of the equinoxes, degrees
};

Place apparentPlace(double jdUT) {
    const double dtDays = deltaT(2000.0 + (jdUT - kJ2000) / 365.2425) / 86400.0;
    const double T = (jdUT + dtDays - kJ2000) / 36525.0;
    // Nutation (the four largest terms) and the true obliquity.
    const double omega = (125.04452 - 1934.136261 * T) * kDeg;
    const double lSun = (280.4665 + 36000.7698 * T) * kDeg;
    const double lMoon = (218.3165 + 481267.8813 * T) * kDeg;
    const double dPsi = (-17.20 * std::sin(omega) - 1.32 * std::sin(2 * lSun) -
                         0.23 * std::sin(2 * lMoon) + 0.21 * std::sin(2 * omega)) /
                        3600.0;
    const double dEps = (9.20 * std::cos(omega) + 0.57 * std::cos(2 * lSun) +
                         0.10 * std::cos(2 * lMoon) - 0.09 * std::cos(2 * omega)) /
                        3600.0;
    const double eps =
        ((84381.448 + T * (-46.8150 + T * (-0.00059 + T * 0.001813))) / 3600.0 + dEps) * kDeg;
    // Geometric longitude and distance from the mean anomaly and the equation of the centre.
    const double l0 = 280.46646 + T * (36000.76983 + 0.0003032 * T);
    const double m = std::fmod(357.52911 + T * (35999.05029 - 0.0001537 * T), 360.0) * kDeg;
    const double e = 0.016708634 - T * (0.000042037 + 0.0000001267 * T);
    const double c = (1.914602 - T * (0.004817 + 0.000014 * T)) * std::sin(m) +
                     (0.019993 - 0.000101 * T) * std::sin(2 * m) + 0.000289 * std::sin(3 * m);
    const double r = 1.000001018 * (1.0 - e * e) / (1.0 + e * std::cos(m + c * kDeg));
    // Apparent longitude: nutation and aberration.
    const double lambda = std::fmod(l0 + c + dPsi - 20.4898 / 3600.0 / r, 360.0) * kDeg;
    Place p;
    p.ra = std::atan2(std::cos(eps) * std::sin(lambda), std::cos(lambda));
    p.sinDec = std::sin(eps) * std::sin(lambda);
    p.cosDec = std::sqrt(1.0 - p.sinDec * p.sinDec);
    p.dec = std::atan2(p.sinDec, p.cosDec);
    p.r = r;
    p.equinoxesEq = dPsi * std::cos(eps);
    return p;
}

} // namespace

// What this thread remembers between days: the last few places (consecutive days share two of
// their three), the sines of the last altitudes (a method's twilight angles come back every day)
// and of the latitude. One record, so that a day looks up its thread's storage once.
struct SolarDay::Memory {
    struct Entry {
        double jd = kNaN;
        Place place{};
    };
    Entry places[4];
    unsigned nextPlace = 0;
    double angle[8] = {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    double sine[8] = {};
    unsigned nextAngle = 0;
    double lat = kNaN, sinLat = 0, cosLat = 1;

    const Place& placeAt(double jdUT) {
        for (const Entry& e : places)
            if (e.jd == jdUT)
                return e.place;
        Entry& e = places[nextPlace++ % 4];
        e.jd = jdUT;
        e.place = apparentPlace(jdUT);
        return e.place;
    }

    double sinOf(double deg) {
        for (int i = 0; i < 8; ++i)
            if (angle[i] == deg)
                return sine[i];
        const unsigned i = nextAngle++ % 8;
        angle[i] = deg;
        sine[i] = std::sin(deg * kDeg);
        return sine[i];
    }
};

namespace {
thread_local constinit SolarDay::Memory memory;
} // namespace

SolarDay::SolarDay(double jd0, double latitudeDeg, double longitudeDeg, double approxNoon)
    : mid_(approxNoon), lat_(latitudeDeg) {
    Memory& m = memory;
    memory_ = &m;
    if (latitudeDeg != m.lat) {
        m.lat = latitudeDeg;
        m.sinLat = std::sin(latitudeDeg * kDeg);
        m.cosLat = std::cos(latitudeDeg * kDeg);
    }
    sinLat_ = m.sinLat;
    cosLat_ = m.cosLat;
    tanLat_ = sinLat_ / cosLat_;
    invCosLat_ = 1.0 / cosLat_;

    // (jd0 + i) + approxNoon: the same instant, to the bit, as the neighbouring day computes.
    const Place before = m.placeAt((jd0 - 1.0) + approxNoon);
    const Place mid = m.placeAt(jd0 + approxNoon);
    const Place after = m.placeAt((jd0 + 1.0) + approxNoon);
    auto near = [&](double ra) {
        return ra - 2.0 * kPi * std::nearbyint((ra - mid.ra) / (2.0 * kPi));
    };
    const double raBefore = near(before.ra), raAfter = near(after.ra);
    dec_[0] = mid.dec;
    sinDec0_ = mid.sinDec;
    cosDec0_ = mid.cosDec;
    dec_[1] = (after.dec - before.dec) / 2.0;
    dec_[2] = (after.dec - 2.0 * mid.dec + before.dec) / 2.0;

    semidiameter_ = 959.63 / 3600.0 / mid.r;
    parallax_ = 8.794 / 3600.0 / mid.r;

    // Greenwich mean sidereal time at 0h UT, the equation of the equinoxes, the longitude; the
    // hour angle is that less the right ascension.
    const double d0 = jd0 - kJ2000;
    const double tu = (d0 + approxNoon) / 36525.0;
    double theta = std::fmod(280.46061837 + 360.98564736629 * d0, 360.0);
    theta += tu * tu * (0.000387933 - tu / 38710000.0);
    theta += mid.equinoxesEq + longitudeDeg + 360.98564736629 * approxNoon;
    ha_[0] = wrapPi(theta * kDeg - mid.ra);
    ha_[1] = 360.98564736629 * kDeg - (raAfter - raBefore) / 2.0;
    ha_[2] = -(raAfter - 2.0 * mid.ra + raBefore) / 2.0;
}

double SolarDay::hourAngle(double u) const {
    return ha_[0] + u * (ha_[1] + u * ha_[2]);
}

SunPlace SolarDay::at(double t) const {
    const double u = t - mid_;
    SunPlace p;
    sinCosDeclination(u, p.sinDec, p.cosDec);
    p.hourAngle = wrapPi(hourAngle(u));
    return p;
}

double SolarDay::transit(double guess) {
    double u = guess - mid_;
    for (int i = 0; i < kMaxSteps; ++i) {
        const double du = -wrapPi(hourAngle(u)) / hourAngleRate(u);
        u += du;
        if (std::fabs(du) < kTolerance) {
            noon_.u = u;
            sinCosDeclination(u, noon_.sinDec, noon_.cosDec);
            noon_.tanDec = noon_.sinDec / noon_.cosDec;
            noon_.rate = hourAngleRate(u);
            return mid_ + u;
        }
    }
    return kNaN;
}

double SolarDay::crossing(double topoAltitudeDeg, int side, double guess) const {
    return crossingAtSine(memory_->sinOf(topoAltitudeDeg), side, guess);
}

double SolarDay::crossingAtSine(double sinTopo, int side, double guess) const {
    if (std::fabs(cosLat_) < 1e-12 || !std::isfinite(noon_.u))
        return kNaN; // at a pole the hour angle tells nothing
    // The search works on the geocentric centre; the altitudes are meant as seen from the ground,
    // which puts the Sun lower by its parallax p: sin(a + p cos a) = sin a + p cos^2 a.
    // A guess that does not lead there (the last days before a polar night) is tried from noon.
    if (std::isfinite(guess)) {
        const double t =
            newton(sinTopo + parallax_ * kDeg * (1.0 - sinTopo * sinTopo), side, guess - mid_);
        if (std::isfinite(t))
            return t;
    }
    // The first guess from the declination at noon; where the Sun does not get there at noon it
    // aims at the nearest it comes, as it may get there later in the day. Where it does, the
    // guess is moved by the change of declination up to it (to first order), which leaves one
    // Newton step in most cases. Rising and setting at one altitude share it.
    if (sinTopo != aim_.sinTopo) {
        aim_.sinTopo = sinTopo;
        aim_.sinAlt = sinTopo + parallax_ * kDeg * (1.0 - sinTopo * sinTopo);
        aim_.cosH = (aim_.sinAlt - sinLat_ * noon_.sinDec) * invCosLat_ / noon_.cosDec;
        aim_.h = std::acos(std::fmin(1.0, std::fmax(-1.0, aim_.cosH)));
        aim_.sinH = std::sqrt(std::fmax(0.0, 1.0 - aim_.cosH * aim_.cosH));
    }
    double u = noon_.u + side * aim_.h * (1.0 / (2.0 * kPi));
    if (aim_.sinH > 0.05) {
        const double dDec = (u - noon_.u) * (dec_[1] + (u + noon_.u) * dec_[2]);
        const double dH = -(aim_.cosH * noon_.tanDec - tanLat_) * dDec / aim_.sinH;
        u = noon_.u + side * (aim_.h + dH) / noon_.rate;
    }
    return newton(aim_.sinAlt, side, u);
}

double SolarDay::newton(double sinAlt, int side, double u) const {
    for (int i = 0; i < kMaxSteps; ++i) {
        double sinDec, cosDec;
        sinCosDeclination(u, sinDec, cosDec);
        const double secDec = 1.0 / cosDec;
        const double cosH = (sinAlt - sinLat_ * sinDec) * invCosLat_ * secDec;
        if (!(cosH >= -1.0 && cosH <= 1.0))
            return kNaN;
        // Newton on f(u) = target(u) - H(u), where the target hour angle moves with the
        // declination: d(cos H)/d(dec) = cos H tan(dec) - tan(lat).
        const double sinH = std::sqrt(1.0 - cosH * cosH);
        double rate = hourAngleRate(u);
        if (sinH > 1e-3) {
            const double dCosH = (cosH * sinDec * secDec - tanLat_) * (dec_[1] + 2.0 * u * dec_[2]);
            rate += side * dCosH / sinH;
        }
        const double du = wrapPi(side * std::acos(cosH) - hourAngle(u)) / rate;
        u += du;
        if (std::fabs(du) < kNewtonTolerance)
            return mid_ + u;
    }
    return kNaN;
}

} // namespace prayerlib
