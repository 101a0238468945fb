// The three effects: the sword's swoosh, the falling scream and the game-over jingle.
#include "audio/sound_effects.h"

#include <algorithm>

namespace audio {

namespace {

constexpr double slashLength = 0.32; // seconds; the game's swing lasts a second
constexpr double screamLength = 1.05;
constexpr double effectPeak = 0.92;

struct Formant {
    double frequency, bandwidth, gain;
};

// Loudness of a harmonic at `hz` under a vowel's formants (resonance peaks).
double vowelGain(double hz, const Formant (&formants)[4]) {
    double gain = 0;
    for (const Formant& f : formants) {
        const double x = (hz - f.frequency) / (f.bandwidth * 0.5);
        gain += f.gain / (1.0 + x * x);
    }
    return gain;
}

} // namespace

Samples slash() {
    const int frames = secondsToFrames(slashLength);
    Samples out(frames);
    Noise noise(0x51A5);
    Filter air, edge;
    // Metal ringing after the blade leaves the scabbard of air: a few inharmonic partials.
    const double partials[] = {2870, 3720, 5130, 6310};
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        // The whoosh sweeps up as the blade speeds through its arc, then falls away.
        const double sweep = std::sin(pi * std::min(1.0, t / 0.2));
        air.tune(500 + 4200 * sweep * sweep, 2.2);
        edge.tune(3000 + 3000 * sweep, 6.0);
        const double n = noise.next();
        const double body = air.process(n).band;
        const double hiss = edge.process(n).band;
        const double whoosh =
            std::pow(std::min(1.0, t / 0.07), 2.0) * std::exp(-std::max(0.0, t - 0.07) * 16.0);
        double ring = 0;
        const double ringTime = t - 0.05;
        if (ringTime > 0) {
            for (int k = 0; k < 4; ++k) {
                ring += std::sin(2 * pi * partials[k] * ringTime) *
                        std::exp(-ringTime * (18 + 6 * k)) / (k + 1);
            }
        }
        out[i] = static_cast<float>(body * whoosh * 1.6 + hiss * whoosh * 0.6 + ring * 0.22);
    }
    // Saturation thickens the whoosh so it cuts through the music.
    normalise(out, 1.0);
    for (float& s : out) {
        s = static_cast<float>(std::tanh(s * 2.2));
    }
    normalise(out, effectPeak);
    fadeOut(out, 0.03);
    return out;
}

Samples scream() {
    // A voice built from harmonics shaped by vowel formants: "aaah" sliding toward "aw",
    // the pitch leaping up and then falling away as the victim drops.
    const int frames = secondsToFrames(screamLength);
    Samples out(frames);
    Noise noise(0xA11);
    Filter breath;
    breath.tune(1300, 4.0);
    constexpr Formant ah[4] = {
        {900, 160, 1.0}, {1350, 200, 0.7}, {2750, 260, 0.35}, {3600, 320, 0.2}};
    constexpr Formant aw[4] = {
        {680, 140, 1.0}, {1050, 180, 0.6}, {2600, 260, 0.25}, {3400, 320, 0.12}};
    double phase = 0;
    double strainPhase = 0; // runs at half the pitch: the rasp of a straining throat
    double jitter = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double rise = std::min(1.0, t / 0.09);
        const double fall = std::clamp((t - 0.3) / 0.7, 0.0, 1.0);
        jitter = jitter * 0.999 + noise.next() * 0.001;
        const double vibrato = 1.0 + 0.035 * std::sin(2 * pi * 6.5 * t) + jitter * 0.3;
        const double f0 = (430 + 230 * rise * rise) * (1.0 - 0.55 * fall * fall) * vibrato;
        phase += f0 / sampleRate;
        phase -= std::floor(phase);
        strainPhase += 0.5 * f0 / sampleRate;
        strainPhase -= std::floor(strainPhase);
        Formant vowel[4];
        for (int k = 0; k < 4; ++k) {
            const double m = std::clamp((t - 0.4) / 0.5, 0.0, 1.0);
            vowel[k] = {ah[k].frequency + (aw[k].frequency - ah[k].frequency) * m, ah[k].bandwidth,
                        ah[k].gain + (aw[k].gain - ah[k].gain) * m};
        }
        double voice = 0;
        for (int h = 1; h * f0 < 9000; ++h) {
            voice += std::sin(2 * pi * h * phase) * vowelGain(h * f0, vowel) / std::sqrt(h);
        }
        // Strain: a rough edge that comes and goes with the breath.
        const double roughness = 1.0 + 0.25 * std::sin(2 * pi * strainPhase) * rise;
        const double air = breath.process(noise.next()).band * 0.03; // band gain peaks at 4
        const double level = envelope(t, screamLength, 0.035, 0.4, 0.8, 0.28);
        out[i] = static_cast<float>((voice * roughness + air) * level);
    }
    normalise(out, effectPeak);
    return out;
}

Samples gameOverJingle() {
    // A falling minor line over a held low A, square lead and triangle bass.
    struct Note {
        double start, length, midi;
    };
    const Note lead[] = {{0.00, 0.20, 76}, {0.22, 0.20, 72}, {0.44, 0.20, 69},
                         {0.66, 0.20, 64}, {0.92, 0.34, 65}, {1.30, 1.10, 64}};
    const Note bass[] = {{0.00, 0.86, 45}, {0.92, 0.34, 41}, {1.30, 1.10, 33}};
    const Note chord[] = {{1.30, 1.10, 57}, {1.30, 1.10, 60}, {1.30, 1.10, 52}};
    const double total = 2.6;
    Samples out(secondsToFrames(total));
    auto render = [&](const Note& note, double volume, auto wave) {
        const double hz = midiToHz(note.midi);
        const int first = secondsToFrames(note.start);
        const int count = secondsToFrames(note.length);
        double phase = 0;
        for (int i = 0; i < count && first + i < static_cast<int>(out.size()); ++i) {
            const double t = static_cast<double>(i) / sampleRate;
            const double bend = note.length > 1.0 ? 1.0 + 0.012 * std::sin(2 * pi * 5.0 * t) *
                                                              std::min(1.0, t / 0.4)
                                                  : 1.0;
            const double step = hz * bend / sampleRate;
            phase += step;
            phase -= std::floor(phase);
            const double level =
                envelope(t, note.length, 0.006, 0.25, 0.6, note.length > 1.0 ? 0.7 : 0.05);
            out[first + i] += static_cast<float>(wave(phase, step) * level * volume);
        }
    };
    for (const Note& n : lead) {
        render(n, 0.42, [](double p, double s) { return pulse(p, s, 0.25); });
    }
    for (const Note& n : chord) {
        render(n, 0.14, [](double p, double s) { return pulse(p, s, 0.5); });
    }
    for (const Note& n : bass) {
        render(n, 0.55, [](double p, double) { return triangle(p); });
    }
    // A gentle low-pass takes the edge off the square waves.
    Filter soften;
    soften.tune(3800, 0.7);
    for (float& s : out) {
        s = static_cast<float>(soften.process(s).low);
    }
    normalise(out, effectPeak * 0.9);
    fadeOut(out, 0.08);
    return out;
}

} // namespace audio
