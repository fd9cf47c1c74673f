#pragma once
// The moon's age and illuminated fraction for a day, from the Sun's and the Moon's mean
// motions since the epoch 1980 January 0.0 and the Moon's main periodic terms.
#include "runtime/VBDate.h"

#include <cstdint>

// Degrees and radians, with pi = 3.14159265358979.
double DegToRad(double x);
double RadToDeg(double x);
// x reduced into 0 <= x < 360.
double FixAngle(double x);

// The eccentric anomaly (radians) for the mean anomaly dblM (degrees) and eccentricity dblE,
// by Newton's iteration to 1e-6 radians.
double SolveKepler(double dblM, double dblE);

// iMode 0: the illuminated fraction 0..1; iMode 1: the moon's age in days (0 up to the
// synodic month); any other mode 0. jd is a Julian day. A step whose arithmetic fails (an
// infinite or undefined value) leaves its variable as it was, so the result is a number.
double MoonPhase(double jd, std::int32_t iMode);

// The Julian day (Universal Time) of local midnight at the start of dt's Gregorian day, the
// place's zone taken from the time-zone setting (no daylight saving). 0 for an invalid date.
double DateToJulianDay(const Date& dt);
