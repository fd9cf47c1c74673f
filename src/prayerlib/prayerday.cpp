#include "prayerday.h"

#include "solar.h"

#include <cmath>
#include <initializer_list>
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

double findCrossing(const SolarDay& sun, double noon, double topoAltDeg, int side, double hint) {
    return withinDay(sun.crossing(topoAltDeg, side, hint), noon, side);
}

} // namespace

bool DayEvents::good() const {
    return std::isfinite(t[Fajr]) && std::isfinite(t[Shurooq]) && std::isfinite(t[Maghrib]) &&
           std::isfinite(t[Ishaa]);
}

DayEvents computeDay(double jd0, const Observer& obs, const Conventions& conv, const double* hint) {
    static const DayEvents kNoHints = [] {
        DayEvents h;
        for (double& t : h.t)
            t = kNaN;
        return h;
    }();
    if (!hint)
        hint = kNoHints.t;
    DayEvents ev;
    for (double& t : ev.t)
        t = kNaN;

    // The transit nearest 12:00 local clock time.
    const double k = std::nearbyint(obs.longitude / 360.0 - obs.zoneHours / 24.0);
    const double approxNoon = 0.5 - obs.longitude / 360.0 + k;
    SolarDay sun(jd0, obs.latitude, obs.longitude, approxNoon);
    const double noon = sun.transit(approxNoon);
    if (!std::isfinite(noon))
        return ev;
    const SunPlace atNoon = sun.at(noon);
    ev.t[Dhuhr] = noon;

    const double limb = obs.horizon - sun.semidiameterDeg();
    ev.t[Shurooq] = findCrossing(sun, noon, limb, -1, hint[Shurooq]);
    ev.t[Maghrib] = findCrossing(sun, noon, limb, +1, hint[Maghrib]);

    if (conv.fajrInterval != 0)
        ev.t[Fajr] = ev.t[Shurooq] - conv.fajrInterval / 1440.0;
    else
        ev.t[Fajr] = findCrossing(sun, noon, -conv.fajrAngle, -1, hint[Fajr]);

    if (conv.ishaaByInterval)
        ev.t[Ishaa] = ev.t[Maghrib] + conv.ishaaInterval / 1440.0;
    else
        ev.t[Ishaa] = findCrossing(sun, noon, -conv.ishaaAngle, +1, hint[Ishaa]);

    if (conv.imsaakInterval != 0)
        ev.t[Imsaak] = ev.t[Fajr] - conv.imsaakInterval / 1440.0;
    else
        ev.t[Imsaak] = findCrossing(sun, noon, -conv.imsaakAngle, -1, hint[Imsaak]);

    // Asr: the shadow of a stick is asrFactor times its height plus its shadow at noon, i.e. the
    // Sun's altitude a has cot a = asrFactor + tan z, z the zenith distance at noon. The shadow
    // is cast by the Sun as seen from the ground, lower than the geocentric Sun by its parallax
    // (z grows by e = p sin z). All from the sines and cosines at hand, without angles.
    const double cosZ0 = sun.cosLatitude() * atNoon.cosDec + sun.sinLatitude() * atNoon.sinDec;
    const double sinZ0 =
        std::fabs(sun.sinLatitude() * atNoon.cosDec - sun.cosLatitude() * atNoon.sinDec);
    const double e = sun.parallaxDeg() * kDeg * sinZ0;
    const double cosZ = cosZ0 - e * sinZ0;
    if (cosZ > 0.0) {
        const double tanZ0 = sinZ0 / cosZ0;
        const double tanZ = (tanZ0 + e) / (1.0 - tanZ0 * e);
        const double cotA = conv.asrFactor + tanZ;
        ev.t[Asr] = withinDay(sun.crossingAtSine(1.0 / std::sqrt(1.0 + cotA * cotA), +1, hint[Asr]),
                              noon, +1);
    }
    return ev;
}

namespace {

bool sameSetting(const Observer& a, const Observer& b) {
    return a.latitude == b.latitude && a.longitude == b.longitude && a.zoneHours == b.zoneHours &&
           a.horizon == b.horizon;
}

bool sameSetting(const Conventions& a, const Conventions& b) {
    return a.fajrAngle == b.fajrAngle && a.ishaaAngle == b.ishaaAngle &&
           a.imsaakAngle == b.imsaakAngle && a.fajrInterval == b.fajrInterval &&
           a.ishaaInterval == b.ishaaInterval && a.imsaakInterval == b.imsaakInterval &&
           a.ishaaByInterval == b.ishaaByInterval && a.asrFactor == b.asrFactor;
}

} // namespace

namespace {
thread_local constinit RememberedDays memory;
}

RememberedDays& RememberedDays::forSetting(const Observer& obs, const Conventions& conv) {
    RememberedDays& m = memory;
    if (!sameSetting(m.obs_, obs) || !sameSetting(m.conv_, conv)) {
        m.obs_ = obs;
        m.conv_ = conv;
        for (double& jd : m.jd_)
            jd = 0.0;
    }
    return m;
}

const DayEvents& RememberedDays::at(double jd0) {
    const int slot = slotOf(jd0);
    if (jd_[slot] == jd0)
        return events_[slot];
    // Two known days on one side give each event's time to within seconds: the search then
    // starts there. Times are counted from each day's own 0h UT, so the straight line through
    // the two is 2 t1 - t2 on either side.
    double hint[SlotCount];
    const double* known = nullptr;
    for (int side : {-1, +1}) {
        const int s1 = slotOf(jd0 + side), s2 = slotOf(jd0 + 2 * side);
        if (jd_[s1] == jd0 + side && jd_[s2] == jd0 + 2 * side) {
            for (int s = 0; s < SlotCount; ++s)
                hint[s] = 2.0 * events_[s1].t[s] - events_[s2].t[s];
            known = hint;
            break;
        }
    }
    events_[slot] = computeDay(jd0, obs_, conv_, known);
    jd_[slot] = jd0;
    return events_[slot];
}

} // namespace prayerlib
