#pragma once
// The runtime's random-number generator and timer.

// The next number of the sequence, 0 <= r < 1. A negative argument restarts the sequence from
// a seed made of that argument (the same argument always gives the same number); 0 repeats the
// last number.
float Rnd(float number = 1.0f);
// Seeds the sequence from the system timer (or from the given seed).
void Randomize();
void Randomize(double seed);
// Seconds since local midnight.
double Timer();
