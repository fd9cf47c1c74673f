// The Sun's apparent place and the instants it crosses given altitudes, for one solar day.
#pragma once

namespace prayerlib {

// Julian day at 0h UT of a proleptic Gregorian date.
double julianDay(int year, int month, int day);

// TT - UT in seconds for a decimal year (the Espenak-Meeus polynomials).
double deltaT(double year);

// Apparent place of the Sun at one instant, as the event search needs it.
struct SunPlace {
    double sinDec;
    double cosDec;
    double hourAngle; // local apparent hour angle, radians, -pi..pi (west positive)
};

// Everything that varies too little over a day to be worth recomputing per instant (delta T,
// nutation, obliquity, aberration, distance) is fixed at the day's noon; the Sun's longitude,
// right ascension, declination and the sidereal time are evaluated at each instant.
// Times are days of UT from 0h UT of the date (they may be negative or beyond 1).
class SolarDay {
public:
    SolarDay(double jd0, double latitudeDeg, double longitudeDeg, double approxNoon);

    SunPlace at(double t) const;

    // Local apparent noon (hour angle 0) near the guess; NaN if the search fails.
    double transit(double guess) const;

    // Instant near the guess when the Sun's geocentric centre stands at the given altitude
    // (degrees), before noon (side -1) or after it (side +1); NaN when it does not get there.
    double crossing(double guess, double altitudeDeg, int side) const;

    double semidiameterDeg() const { return semidiameter_; }
    double parallaxDeg() const { return parallax_; }
    double latitudeDeg() const;

private:
    double jd0_;
    double dtDays_;          // delta T in days
    double sinLat_, cosLat_; // observer
    double lat_;
    double siderealBase_;    // Greenwich apparent sidereal time at t = 0 plus longitude, degrees
    double lonCorrection_;   // nutation in longitude minus aberration, degrees
    double sinEps_, cosEps_; // true obliquity
    double semidiameter_;    // degrees
    double parallax_;        // horizontal parallax, degrees
};

} // namespace prayerlib
