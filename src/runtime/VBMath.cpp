#include "VBMath.h"

#include "Clock.h"

#include <QDateTime>
#include <cstdint>
#include <cstring>

namespace {
// A 64-bit linear congruential generator (Knuth's MMIX constants); the top 24 bits give r.
std::uint64_t gState = 0x853c49e6748fea9bULL;
float gLast = 0.0f;

float next() {
    gState = gState * 6364136223846793005ULL + 1442695040888963407ULL;
    gLast = static_cast<float>(gState >> 40) / 16777216.0f;
    return gLast;
}

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb3f99a6b4d15ULL;
    x ^= x >> 33;
    return x;
}
} // namespace

float Rnd(float number) {
    if (number < 0) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        gState = mix(bits);
        return next();
    }
    if (number == 0)
        return gLast;
    return next();
}

void Randomize(double seed) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    gState = mix(gState ^ mix(bits));
}

void Randomize() {
    Randomize(Timer() + static_cast<double>(QDateTime::currentMSecsSinceEpoch()));
}

double Timer() {
    const QDateTime now = Now();
    return now.time().msecsSinceStartOfDay() / 1000.0;
}
