// Time scales for the solar computation.
#pragma once

namespace prayerlib {

// Julian day at 0h UT of a proleptic Gregorian date.
double julianDay(int year, int month, int day);

// TT - UT in seconds for a decimal year (the Espenak-Meeus polynomials).
double deltaT(double year);

} // namespace prayerlib
