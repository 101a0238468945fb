// Oscillators, filter, envelopes and buffer helpers.
#include "audio/synth.h"

#include <algorithm>

namespace audio {

namespace {

// Polynomial correction that rounds off a waveform's jump, removing most aliasing.
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

double saw(double phase, double step) {
    return 2.0 * phase - 1.0 - blep(phase, step);
}

double pulse(double phase, double step, double duty) {
    double value = phase < duty ? 1.0 : -1.0;
    value += blep(phase, step);
    double shifted = phase - duty;
    if (shifted < 0) {
        shifted += 1.0;
    }
    value -= blep(shifted, step);
    return value;
}

double triangle(double phase) {
    return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
}

void Filter::tune(double cutoffHz, double resonance) {
    cutoffHz = std::clamp(cutoffHz, 20.0, sampleRate * 0.45);
    g_ = std::tan(pi * cutoffHz / sampleRate);
    k_ = 1.0 / resonance;
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

Filter::Outputs Filter::process(double input) {
    const double v3 = input - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, input - k_ * v1 - v2};
}

double envelope(double t, double length, double attack, double decay, double sustain,
                double release) {
    if (t < 0 || t >= length) {
        return 0.0;
    }
    double level;
    if (t < attack) {
        level = t / attack;
    } else {
        level = sustain + (1.0 - sustain) * std::exp(-(t - attack) / std::max(decay, 1e-6));
    }
    const double untilEnd = length - t;
    if (untilEnd < release) {
        level *= untilEnd / release;
    }
    return level;
}

void normalise(Samples& samples, double peak) {
    double largest = 0;
    for (float s : samples) {
        largest = std::max(largest, static_cast<double>(std::abs(s)));
    }
    if (largest > 0) {
        for (float& s : samples) {
            s = static_cast<float>(s * peak / largest);
        }
    }
}

void normalise(Stereo& sound, double peak) {
    double largest = 0;
    for (const Samples* channel : {&sound.left, &sound.right}) {
        for (float s : *channel) {
            largest = std::max(largest, static_cast<double>(std::abs(s)));
        }
    }
    if (largest > 0) {
        for (Samples* channel : {&sound.left, &sound.right}) {
            for (float& s : *channel) {
                s = static_cast<float>(s * peak / largest);
            }
        }
    }
}

void fadeOut(Samples& samples, double seconds) {
    const int frames = std::min(static_cast<int>(samples.size()), secondsToFrames(seconds));
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / frames;
        samples[samples.size() - 1 - i] = static_cast<float>(samples[samples.size() - 1 - i] * t);
    }
}

} // namespace audio
