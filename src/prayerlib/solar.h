// The Sun's apparent place and the instants it crosses given altitudes, for one solar day.
#pragma once

#include "timescale.h"

#include <limits>

namespace prayerlib {

// Apparent place of the Sun at one instant, as the event search needs it.
struct SunPlace {
    double sinDec;
    double cosDec;
    double hourAngle; // local apparent hour angle, radians, -pi..pi (west positive)
};

// The Sun's apparent right ascension and declination are computed in full (with nutation,
// aberration and delta T) at three instants a day apart around the day's noon, and interpolated
// between them by a parabola (the classic rise-and-set scheme; the error is below 0.1"). The
// instants repeat from day to day, so a run of consecutive days computes one new place a day.
// Times are days of UT from 0h UT of the date (they may be negative or beyond 1).
class SolarDay {
public:
    SolarDay(double jd0, double latitudeDeg, double longitudeDeg, double approxNoon);

    SunPlace at(double t) const;

    // Local apparent noon (hour angle 0) near the guess; NaN if the search fails. The
    // crossings below are searched from the last noon found.
    double transit(double guess);

    // Instant when the Sun stands at the given altitude (degrees, as seen from the ground)
    // before noon (side -1) or after it (side +1); NaN when it does not get there.
    // The search starts at the guess when it is a number, else from noon.
    double crossing(double topoAltitudeDeg, int side,
                    double guess = std::numeric_limits<double>::quiet_NaN()) const;
    // The same for an altitude given by its sine.
    double crossingAtSine(double sinTopo, int side,
                          double guess = std::numeric_limits<double>::quiet_NaN()) const;

    struct Memory;

    double semidiameterDeg() const { return semidiameter_; }
    double parallaxDeg() const { return parallax_; }
    double latitudeDeg() const { return lat_; }
    double sinLatitude() const { return sinLat_; }
    double cosLatitude() const { return cosLat_; }

private:
    void sinCosDeclination(double u, double& sinDec, double& cosDec) const {
        // The declination moves by less than half a degree a day: sine and cosine of the change
        // from their series (the first omitted terms are below 1e-15).
        const double d = u * (dec_[1] + u * dec_[2]);
        const double d2 = d * d;
        const double c = 1.0 - d2 / 2.0 * (1.0 - d2 / 12.0);
        const double s = d * (1.0 - d2 / 6.0 * (1.0 - d2 / 20.0));
        sinDec = sinDec0_ * c + cosDec0_ * s;
        cosDec = cosDec0_ * c - sinDec0_ * s;
    }
    double hourAngle(double u) const; // radians, unwrapped
    double newton(double sinAlt, int side, double u) const;
    double hourAngleRate(double u) const { return ha_[1] + 2.0 * u * ha_[2]; }

    Memory* memory_;                              // this thread's
    double mid_;                                  // the middle instant, days from 0h UT of the date
    double sinLat_, cosLat_, tanLat_, invCosLat_; // observer
    double lat_;
    double dec_[3]; // declination = dec_[0] + dec_[1] u + dec_[2] u^2, u = t - mid_
    double sinDec0_, cosDec0_;
    double ha_[3];        // hour angle likewise
    double semidiameter_; // degrees
    double parallax_;     // horizontal parallax, degrees
    struct {
        double u = std::numeric_limits<double>::quiet_NaN();
        double sinDec = 0, cosDec = 1, tanDec = 0, rate = 1;
    } noon_; // the Sun at the last transit found
    mutable struct {
        double sinTopo = std::numeric_limits<double>::quiet_NaN();
        double sinAlt = 0, cosH = 0, h = 0, sinH = 0;
    } aim_; // the last altitude searched for: its hour angle at noon
};

} // namespace prayerlib
