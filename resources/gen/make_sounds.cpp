// Synthesises the program's built-in recordings: one short RIFF/WAVE file per recording name,
// 16-bit PCM, mono, 22050 Hz. Every sound is made of additive partials under envelopes; its
// melody, timbre and length follow from its family and from a hash of its name, so each run
// writes byte-identical files and no two recordings sound alike.
//
// Usage: make_sounds <output folder>   (writes <output folder>/<NAME>.wav for every name)

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

enum class Family { Athan, Bismillah, Recitation, Dua };

struct Recording {
    std::string_view name;
    Family family;
};

// The names under which the program plays its recordings.
constexpr std::array<Recording, 37> kRecordings{{
    {"FAJRMADINA", Family::Athan},
    {"FAJRMAKKAH", Family::Athan},
    {"ALAQSA", Family::Athan},
    {"CAIRO1", Family::Athan},
    {"CAIRO2", Family::Athan},
    {"DAMASCUS", Family::Athan},
    {"MAKKAH", Family::Athan},
    {"BISMILLAH0", Family::Bismillah},
    {"BISMILLAH1", Family::Bismillah},
    {"BISMILLAH2", Family::Bismillah},
    {"BISMILLAH3", Family::Bismillah},
    {"BISMILLAH4", Family::Bismillah},
    {"ALFATIHA", Family::Recitation},
    {"ALBAQARAH_155_157", Family::Recitation},
    {"ALBAQARAH_177", Family::Recitation},
    {"ALBAQARAH_238", Family::Recitation},
    {"AYAATALKURSI", Family::Recitation},
    {"ALBAQARAH_285_286", Family::Recitation},
    {"ALANAM", Family::Recitation},
    {"HUD", Family::Recitation},
    {"ALKAHF", Family::Recitation},
    {"ANNAML", Family::Recitation},
    {"ALAHZAB", Family::Recitation},
    {"ALHADID", Family::Recitation},
    {"ALALAQ", Family::Recitation},
    {"ADDUHA", Family::Recitation},
    {"ASSARH", Family::Recitation},
    {"ALASR", Family::Recitation},
    {"ALMAUN", Family::Recitation},
    {"ALKAWTAR", Family::Recitation},
    {"ALKAFIRUNE", Family::Recitation},
    {"ALIHLAS", Family::Recitation},
    {"ALFALAQ", Family::Recitation},
    {"ANNAS", Family::Recitation},
    {"LUQMAN", Family::Recitation},
    {"ALQAMAR", Family::Recitation},
    {"DUA", Family::Dua},
}};

// Small deterministic generator (64-bit linear congruential, high bits used).
class Dice {
public:
    explicit Dice(std::uint64_t seed)
        : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    double unit() { return (next() & 0xFFFFFF) / double(0x1000000); }

private:
    std::uint64_t state_;
};

std::uint64_t hashName(std::string_view s) {
    std::uint64_t h = 1469598103934665603ULL; // FNV-1a
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

struct Partial {
    double ratio; // frequency relative to the note
    double amp;   // relative amplitude
    double decay; // extra exponential decay per second for this partial
};

struct Voice {
    std::vector<Partial> partials;
    double attack;  // seconds
    double release; // seconds at the note's end
    double decay;   // exponential decay per second of the whole note (0: sustained)
    double vibrato; // depth in semitones
    double vibRate; // Hz
};

struct Note {
    double start;  // seconds
    double length; // seconds
    double freq;   // Hz
    double gain;
};

double envelope(const Voice& v, double t, double length) {
    if (t < 0.0)
        return 0.0;
    double e = t < v.attack ? t / v.attack : 1.0;
    e *= std::exp(-v.decay * t);
    const double untilEnd = length - t;
    if (untilEnd < v.release)
        e *= std::max(0.0, untilEnd / v.release);
    return e;
}

void render(std::vector<double>& out, const Voice& v, const Note& n) {
    const int first = static_cast<int>(n.start * kRate);
    const int count = static_cast<int>(n.length * kRate);
    std::vector<double> phase(v.partials.size(), 0.0);
    for (int i = 0; i < count && first + i < static_cast<int>(out.size()); ++i) {
        const double t = double(i) / kRate;
        const double env = envelope(v, t, n.length);
        if (env <= 0.0)
            continue;
        // Vibrato fades in over the first half second, as a held voice does.
        const double vibDepth = v.vibrato * std::min(1.0, t / 0.5);
        const double f =
            n.freq * std::pow(2.0, vibDepth * std::sin(2.0 * kPi * v.vibRate * t) / 12.0);
        double s = 0.0;
        for (std::size_t p = 0; p < v.partials.size(); ++p) {
            const Partial& part = v.partials[p];
            phase[p] += 2.0 * kPi * f * part.ratio / kRate;
            s += part.amp * std::exp(-part.decay * t) * std::sin(phase[p]);
        }
        out[static_cast<std::size_t>(first + i)] += n.gain * env * s;
    }
}

double noteFreq(double tonic, const std::vector<int>& scale, int degree) {
    const int size = static_cast<int>(scale.size());
    int octave = degree >= 0 ? degree / size : -((-degree + size - 1) / size);
    int step = degree - octave * size;
    return tonic * std::pow(2.0, (scale[static_cast<std::size_t>(step)] + 12 * octave) / 12.0);
}

// Scales in semitones: a major pentatonic, a minor pentatonic, and two modes with the
// characteristic augmented second of the eastern modes.
const std::vector<std::vector<int>> kScales{
    {0, 2, 4, 7, 9},        {0, 3, 5, 7, 10},       {0, 1, 4, 5, 7, 8, 10},
    {0, 2, 3, 6, 7, 8, 11}, {0, 2, 3, 5, 7, 9, 10},
};

// A melody that walks the scale in small steps, returning home at the end.
std::vector<int> walk(Dice& dice, int notes, int range) {
    std::vector<int> degrees;
    int d = 0;
    for (int i = 0; i < notes; ++i) {
        degrees.push_back(d);
        int step = dice.below(5) - 2; // -2..2
        if (step == 0)
            step = dice.below(2) ? 1 : -1;
        d = std::clamp(d + step, -2, range);
    }
    degrees.back() = 0;
    return degrees;
}

std::vector<double> compose(const Recording& r) {
    Dice dice(hashName(r.name));
    std::vector<double> out;

    if (r.family == Family::Athan) {
        // A slow, held phrase in a flute-and-reed voice with vibrato, over a soft drone.
        const double seconds = 3.4 + 0.1 * dice.below(6);
        out.assign(static_cast<std::size_t>(seconds * kRate), 0.0);
        const auto& scale = kScales[static_cast<std::size_t>(2 + dice.below(3))];
        const double tonic = 196.0 * std::pow(2.0, dice.below(7) / 12.0);
        const double brightness = 0.2 + 0.4 * dice.unit();
        Voice lead{{{1, 1.0, 0},
                    {2, 0.45 * brightness + 0.1, 0.3},
                    {3, brightness * 0.35, 0.6},
                    {4, 0.12, 1.0},
                    {5, brightness * 0.08, 1.5}},
                   0.12,
                   0.25,
                   0.05,
                   0.18 + 0.12 * dice.unit(),
                   4.8 + dice.unit()};
        Voice drone{{{1, 1.0, 0}, {2, 0.3, 0}, {3, 0.1, 0}}, 0.6, 0.8, 0.0, 0.0, 0.0};
        render(out, drone, {0.0, seconds, tonic / 2.0, 0.10});
        const int count = 5 + dice.below(3);
        const auto degrees = walk(dice, count, 6);
        double t = 0.05;
        const double unit = (seconds - 0.3) / (count + 1);
        for (int i = 0; i < count; ++i) {
            const double len =
                (i == count - 1) ? seconds - t - 0.05 : unit * (0.9 + 0.5 * dice.unit());
            render(out, lead,
                   {t, len + 0.08, noteFreq(tonic, scale, degrees[std::size_t(i)]), 0.30});
            t += len;
            if (t > seconds - 0.4)
                break;
        }
    } else if (r.family == Family::Bismillah) {
        // A rising arpeggio of bells, each ringing on under the next.
        const double seconds = 1.6 + 0.1 * dice.below(5);
        out.assign(static_cast<std::size_t>(seconds * kRate), 0.0);
        const auto& scale = kScales[static_cast<std::size_t>(dice.below(2))];
        const double tonic = 523.25 * std::pow(2.0, (dice.below(5) - 2) / 12.0);
        Voice bell{{{1, 1.0, 0.5},
                    {2.01, 0.5, 1.5},
                    {2.76, 0.35, 2.5},
                    {5.40, 0.18, 4.0},
                    {8.93, 0.08, 6.0}},
                   0.003,
                   0.15,
                   1.6,
                   0.0,
                   0.0};
        const int count = 3 + dice.below(3);
        const double gap = (seconds - 0.8) / count;
        int degree = 0;
        for (int i = 0; i < count; ++i) {
            render(out, bell, {gap * i, seconds - gap * i, noteFreq(tonic, scale, degree), 0.22});
            degree += 1 + dice.below(2);
        }
    } else if (r.family == Family::Recitation) {
        // A gentle plucked line (harp-like) with a soft low note under its start and end.
        const double seconds = 2.2 + 0.1 * dice.below(9);
        out.assign(static_cast<std::size_t>(seconds * kRate), 0.0);
        const auto& scale =
            kScales[static_cast<std::size_t>(dice.below(static_cast<int>(kScales.size())))];
        const double tonic = 261.63 * std::pow(2.0, (dice.below(9) - 4) / 12.0);
        const double pluck = 2.0 + 2.0 * dice.unit();
        Voice harp{{{1, 1.0, 0}, {2, 0.5, 1.0}, {3, 0.25, 2.0}, {4, 0.12 + 0.1 * dice.unit(), 3.0}},
                   0.004,
                   0.12,
                   pluck,
                   0.0,
                   0.0};
        Voice low{{{1, 1.0, 0}, {2, 0.2, 0.5}}, 0.08, 0.4, 0.8, 0.0, 0.0};
        const int count = 5 + dice.below(5);
        const auto degrees = walk(dice, count, 7);
        const double step = (seconds - 0.7) / count;
        for (int i = 0; i < count; ++i) {
            const double start = step * i + (i % 2 ? 0.02 * dice.unit() : 0.0);
            render(out, harp,
                   {start, seconds - start, noteFreq(tonic, scale, degrees[std::size_t(i)]), 0.24});
        }
        render(out, low, {0.0, seconds * 0.6, tonic / 2.0, 0.16});
        render(out, low, {step * (count - 1), seconds - step * (count - 1), tonic / 2.0, 0.14});
    } else {
        // The supplication: a slowly swelling chord with a high bell on top.
        const double seconds = 3.0;
        out.assign(static_cast<std::size_t>(seconds * kRate), 0.0);
        const double tonic = 220.0;
        Voice pad{{{1, 1.0, 0}, {2, 0.35, 0.2}, {3, 0.15, 0.4}, {4, 0.05, 0.6}},
                  0.9,
                  1.2,
                  0.0,
                  0.06,
                  5.2};
        for (int semis : {0, 7, 12, 16})
            render(out, pad, {0.0, seconds, tonic * std::pow(2.0, semis / 12.0), 0.11});
        Voice bell{{{1, 1.0, 0.5}, {2.76, 0.3, 2.5}, {5.40, 0.12, 4.0}}, 0.003, 0.2, 1.4, 0.0, 0.0};
        render(out, bell, {1.1, seconds - 1.1, tonic * 4.0, 0.12});
    }
    return out;
}

// Scales the sound to a common peak and ends it in silence, then quantises to 16 bits.
std::vector<std::int16_t> toPcm(const std::vector<double>& in) {
    double peak = 0.0;
    for (double s : in)
        peak = std::max(peak, std::abs(s));
    const double gain = peak > 0.0 ? 0.6 / peak : 0.0;
    std::vector<std::int16_t> pcm(in.size());
    const std::size_t fade = kRate / 50; // 20 ms
    for (std::size_t i = 0; i < in.size(); ++i) {
        double s = in[i] * gain;
        if (i < fade)
            s *= double(i) / fade;
        if (in.size() - i <= fade)
            s *= double(in.size() - 1 - i) / fade;
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0));
    }
    return pcm;
}

void put16(std::string& b, std::uint16_t v) {
    b.push_back(char(v & 0xFF));
    b.push_back(char(v >> 8));
}

void put32(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(char((v >> (8 * i)) & 0xFF));
}

std::string waveFile(const std::vector<std::int16_t>& pcm) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    std::string b;
    b.reserve(44 + dataBytes);
    b += "RIFF";
    put32(b, 36 + dataBytes);
    b += "WAVE";
    b += "fmt ";
    put32(b, 16);
    put16(b, 1);         // PCM
    put16(b, 1);         // mono
    put32(b, kRate);     // sample rate
    put32(b, kRate * 2); // bytes per second
    put16(b, 2);         // block align
    put16(b, 16);        // bits per sample
    b += "data";
    put32(b, dataBytes);
    for (std::int16_t s : pcm)
        put16(b, static_cast<std::uint16_t>(s));
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (const Recording& r : kRecordings) {
        const std::string path = folder + "/" + std::string(r.name) + ".wav";
        const std::string bytes = waveFile(toPcm(compose(r)));
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
