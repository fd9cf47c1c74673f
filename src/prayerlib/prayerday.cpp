#include "prayerday.h"

#include "solar.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace prayerlib {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A crossing found by the search must lie on the asked side of this day's noon, within half a
// day (a little slack for the Sun's motion in declination).
double withinDay(double t, double noon, int side) {
    const double d = (t - noon) * side;
    return (d > 0.0 && d < 0.52) ? t : kNaN;
}

double findCrossing(const SolarDay& sun, const SunPlace& atNoon, double noon, double topoAltDeg,
                    int side) {
    // The search works on the geocentric centre; the altitudes are meant as seen from the ground,
    // which puts the Sun lower by its parallax.
    const double alt = topoAltDeg + sun.parallaxDeg() * std::cos(topoAltDeg * kDeg);
    const double lat = sun.latitudeDeg() * kDeg;
    double cosH =
        (std::sin(alt * kDeg) - std::sin(lat) * atNoon.sinDec) / (std::cos(lat) * atNoon.cosDec);
    cosH = std::fmin(1.0, std::fmax(-1.0, cosH));
    const double guess = noon + side * std::acos(cosH) / (2.0 * std::numbers::pi);
    return withinDay(sun.crossing(guess, alt, side), noon, side);
}

} // namespace

bool DayEvents::good() const {
    return std::isfinite(t[Fajr]) && std::isfinite(t[Shurooq]) && std::isfinite(t[Maghrib]) &&
           std::isfinite(t[Ishaa]);
}

DayEvents computeDay(double jd0, const Observer& obs, const Conventions& conv) {
    DayEvents ev;
    for (double& t : ev.t)
        t = kNaN;

    // The transit nearest 12:00 local clock time.
    const double k = std::nearbyint(obs.longitude / 360.0 - obs.zoneHours / 24.0);
    const double approxNoon = 0.5 - obs.longitude / 360.0 + k;
    const SolarDay sun(jd0, obs.latitude, obs.longitude, approxNoon);
    const double noon = sun.transit(approxNoon);
    if (!std::isfinite(noon))
        return ev;
    const SunPlace atNoon = sun.at(noon);
    ev.t[Dhuhr] = noon;

    const double limb = obs.horizon - sun.semidiameterDeg();
    ev.t[Shurooq] = findCrossing(sun, atNoon, noon, limb, -1);
    ev.t[Maghrib] = findCrossing(sun, atNoon, noon, limb, +1);

    if (conv.fajrInterval != 0)
        ev.t[Fajr] = ev.t[Shurooq] - conv.fajrInterval / 1440.0;
    else
        ev.t[Fajr] = findCrossing(sun, atNoon, noon, -conv.fajrAngle, -1);

    if (conv.ishaaByInterval)
        ev.t[Ishaa] = ev.t[Maghrib] + conv.ishaaInterval / 1440.0;
    else
        ev.t[Ishaa] = findCrossing(sun, atNoon, noon, -conv.ishaaAngle, +1);

    if (conv.imsaakInterval != 0)
        ev.t[Imsaak] = ev.t[Fajr] - conv.imsaakInterval / 1440.0;
    else
        ev.t[Imsaak] = findCrossing(sun, atNoon, noon, -conv.imsaakAngle, -1);

    // Asr: the shadow of a stick is asrFactor times its height plus its shadow at noon.
    // The shadow is cast by the Sun as seen from the ground, lower than the geocentric Sun by
    // its parallax.
    double noonZenith = std::fabs(obs.latitude - std::atan2(atNoon.sinDec, atNoon.cosDec) / kDeg);
    noonZenith += sun.parallaxDeg() * std::sin(noonZenith * kDeg);
    if (noonZenith < 90.0) {
        const double asrAlt =
            std::atan(1.0 / (conv.asrFactor + std::tan(noonZenith * kDeg))) / kDeg;
        ev.t[Asr] = findCrossing(sun, atNoon, noon, asrAlt, +1);
    }
    return ev;
}

} // namespace prayerlib
