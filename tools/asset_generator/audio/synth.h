// Sound synthesis building blocks: oscillators, a filter, noise and buffer helpers.
#pragma once

#include "random.h"

#include <cmath>
#include <vector>

namespace audio {

// The mixer's own output rate: files at this rate are played without resampling.
constexpr int sampleRate = 22050;
constexpr double pi = 3.14159265358979323846;

using Samples = std::vector<float>;

struct Stereo {
    Samples left, right;
};

inline double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}
inline int secondsToFrames(double seconds) {
    // NOLINTNEXTLINE(bugprone-incorrect-roundings): the sounds' bytes rest on this rounding
    return static_cast<int>(seconds * sampleRate + 0.5);
}

// Band-limited oscillators over a phase in [0, 1) that advances by `step` per sample.
double saw(double phase, double step);
double pulse(double phase, double step, double duty);
double triangle(double phase);

// White noise in [-1, 1) from the generator's own seeded sequence.
class Noise {
  public:
    explicit Noise(std::uint64_t seed) : random_(seed) {}
    double next() { return random_.between(-1.0, 1.0); }

  private:
    art::Random random_;
};

// A two-pole state-variable filter (trapezoidal form), stable while its cutoff moves.
class Filter {
  public:
    struct Outputs {
        double low, band, high;
    };
    void tune(double cutoffHz, double resonance); // resonance: 0.5 gentle .. 10 sharp
    Outputs process(double input);

  private:
    double g_ = 0, k_ = 1, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0;
};

// Linear attack, exponential-looking decay to `sustain`, linear release over the last
// `release` seconds of a note lasting `length` seconds; t in seconds from the note's start.
double envelope(double t, double length, double attack, double decay, double sustain,
                double release);

// Scales a buffer so that its largest magnitude is `peak`.
void normalise(Samples& samples, double peak);
void normalise(Stereo& sound, double peak);
// Fades the last `seconds` out to silence, so no sound ends on a click.
void fadeOut(Samples& samples, double seconds);

} // namespace audio
