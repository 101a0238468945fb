// The night theme: 32 bars in A minor at 120 beats a minute, one minute and four seconds that
// loop without a seam. Every note that rings past the end wraps round into the start.
#include "audio/music.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

namespace audio {

namespace {

constexpr double beatsPerMinute = 120;
constexpr double sixteenth = 60.0 / beatsPerMinute / 4; // seconds
constexpr int bars = 32;
constexpr double barLength = sixteenth * 16;
constexpr double trackLength = bars * barLength; // 64 seconds
constexpr double musicPeak = 0.33; // well under the effects, which peak near full scale

// The balance of the parts before the whole is brought to its level.
constexpr double bassLevel = 0.34;
constexpr double padLevel = 0.045;
constexpr double arpLevel = 0.1;
constexpr double leadLevel = 0.26;

// Chords of the eight-bar cycle as MIDI notes (root first): Am F C G Am F E E.
constexpr int chords[8][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62},
                              {57, 60, 64}, {53, 57, 60}, {52, 56, 59}, {52, 56, 59}};

struct MelodyNote {
    int bar, step, length, midi; // position and length in sixteenths
};

// The tune, first statement and answer, each eight bars.
constexpr MelodyNote tuneA[] = {
    {0, 0, 4, 69},  {0, 4, 2, 72},  {0, 6, 6, 76},  {0, 12, 4, 74}, {1, 0, 4, 72},  {1, 4, 4, 69},
    {1, 8, 4, 65},  {1, 12, 4, 69}, {2, 0, 2, 67},  {2, 2, 2, 72},  {2, 4, 4, 76},  {2, 8, 6, 79},
    {2, 14, 2, 76}, {3, 0, 6, 74},  {3, 6, 2, 71},  {3, 8, 8, 67},  {4, 0, 2, 69},  {4, 2, 2, 71},
    {4, 4, 4, 72},  {4, 8, 4, 76},  {4, 12, 4, 81}, {5, 0, 4, 79},  {5, 4, 4, 77},  {5, 8, 4, 76},
    {5, 12, 4, 72}, {6, 0, 4, 71},  {6, 4, 4, 68},  {6, 8, 4, 64},  {6, 12, 4, 68}, {7, 0, 12, 71},
};
constexpr MelodyNote tuneB[] = {
    {0, 0, 2, 76},  {0, 2, 6, 81},  {0, 8, 2, 79},  {0, 10, 2, 76}, {0, 12, 4, 72}, {1, 0, 6, 77},
    {1, 6, 2, 76},  {1, 8, 4, 72},  {1, 12, 4, 69}, {2, 0, 4, 76},  {2, 4, 4, 79},  {2, 8, 6, 84},
    {2, 14, 2, 83}, {3, 0, 4, 86},  {3, 4, 4, 83},  {3, 8, 8, 79},  {4, 0, 4, 84},  {4, 4, 2, 83},
    {4, 6, 6, 81},  {4, 12, 4, 76}, {5, 0, 4, 77},  {5, 4, 4, 81},  {5, 8, 4, 84},  {5, 12, 4, 81},
    {6, 0, 4, 80},  {6, 4, 4, 83},  {6, 8, 4, 88},  {6, 12, 2, 86}, {6, 14, 2, 83}, {7, 0, 4, 80},
    {7, 4, 4, 76},  {7, 8, 8, 71},
};

// A stereo buffer of the whole loop; writes past the end wrap to the start.
class Loop {
  public:
    Loop() : frames_(secondsToFrames(trackLength)), left_(frames_), right_(frames_) {}
    int frames() const { return frames_; }
    void add(long frame, double left, double right) {
        const long at = ((frame % frames_) + frames_) % frames_;
        left_[at] += static_cast<float>(left);
        right_[at] += static_cast<float>(right);
    }
    Samples& left() { return left_; }
    Samples& right() { return right_; }

  private:
    int frames_;
    Samples left_, right_;
};

long frameAt(double seconds) {
    // NOLINTNEXTLINE(bugprone-incorrect-roundings): the music's bytes rest on this rounding
    return static_cast<long>(seconds * sampleRate + 0.5);
}
double timeOf(int bar, double step) {
    return bar * barLength + step * sixteenth;
}

// One synthesised note: `voice` gives the sample at time t of a note of that length.
void play(Loop& loop, double start, double length, double tail, double pan, double level,
          const std::function<double(double t, double length)>& voice) {
    const long first = frameAt(start);
    const long count = frameAt(length + tail);
    const double leftGain = std::cos((pan + 1) * pi / 4);
    const double rightGain = std::sin((pan + 1) * pi / 4);
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double value = voice(t, length) * level;
        loop.add(first + i, value * leftGain, value * rightGain);
    }
}

std::function<double(double, double)> bassVoice(double hz) {
    auto phase = std::make_shared<double>(0.0);
    auto filter = std::make_shared<Filter>();
    return [=](double t, double length) {
        const double step = hz / sampleRate;
        *phase += step;
        *phase -= std::floor(*phase);
        const double sub = std::sin(2 * pi * *phase);
        const double raw = saw(*phase, step) * 0.6 + sub * 0.7;
        filter->tune(220 + 900 * std::exp(-t * 14), 1.2);
        return filter->process(raw).low * envelope(t, length, 0.004, 0.15, 0.7, 0.03);
    };
}

std::function<double(double, double)> padVoice(double hz, double detune) {
    auto phases = std::make_shared<std::array<double, 2>>(std::array<double, 2>{0.0, 0.37});
    auto filter = std::make_shared<Filter>();
    filter->tune(1300, 0.8);
    return [=](double t, double length) {
        double sum = 0;
        for (int k = 0; k < 2; ++k) {
            const double step = hz * (k == 0 ? 1.0 : detune) / sampleRate;
            (*phases)[k] += step;
            (*phases)[k] -= std::floor((*phases)[k]);
            sum += saw((*phases)[k], step);
        }
        return filter->process(sum).low * envelope(t, length, 0.35, 1.0, 1.0, 0.45);
    };
}

std::function<double(double, double)> pluckVoice(double hz, double duty, double brightness) {
    auto phase = std::make_shared<double>(0.0);
    auto filter = std::make_shared<Filter>();
    return [=](double t, double length) {
        const double step = hz / sampleRate;
        *phase += step;
        *phase -= std::floor(*phase);
        filter->tune(brightness * (0.35 + 0.65 * std::exp(-t * 12)), 0.9);
        return filter->process(pulse(*phase, step, duty)).low *
               envelope(t, length, 0.003, 0.09, 0.25, 0.03);
    };
}

std::function<double(double, double)> leadVoice(double hz) {
    auto phase = std::make_shared<double>(0.0);
    auto filter = std::make_shared<Filter>();
    filter->tune(3000, 0.8);
    return [=](double t, double length) {
        const double vibrato =
            1.0 + 0.006 * std::sin(2 * pi * 5.5 * t) * std::clamp((t - 0.15) / 0.2, 0.0, 1.0);
        const double step = hz * vibrato / sampleRate;
        *phase += step;
        *phase -= std::floor(*phase);
        const double tone = pulse(*phase, step, 0.3) * 0.7 + triangle(*phase) * 0.5;
        return filter->process(tone).low * envelope(t, length, 0.01, 0.3, 0.7, 0.06);
    };
}

void kick(Loop& loop, double start, double level) {
    auto phase = std::make_shared<double>(0.0);
    play(loop, start, 0.42, 0.0, 0.0, 1.0, [=](double t, double) {
        const double hz = 45 + 110 * std::exp(-t * 28);
        *phase += hz / sampleRate;
        return std::sin(2 * pi * *phase) * std::exp(-t * 11) * level;
    });
}

void snare(Loop& loop, double start, double level, std::uint64_t seed) {
    auto noise = std::make_shared<Noise>(seed);
    auto filter = std::make_shared<Filter>();
    filter->tune(2200, 0.9);
    play(loop, start, 0.2, 0.0, 0.05, 1.0, [=](double t, double) {
        const double rattle = filter->process(noise->next()).band * std::exp(-t * 20);
        const double body = std::sin(2 * pi * 190 * t) * std::exp(-t * 30);
        return (rattle * 1.4 + body * 0.6) * level;
    });
}

void hat(Loop& loop, double start, double length, double level, double pan, std::uint64_t seed) {
    auto noise = std::make_shared<Noise>(seed);
    auto filter = std::make_shared<Filter>();
    filter->tune(7500, 0.8);
    play(loop, start, length, 0.0, pan, 1.0, [=](double t, double) {
        return filter->process(noise->next()).high * std::exp(-t * (length > 0.1 ? 14 : 60)) *
               level;
    });
}

void addBass(Loop& loop) {
    for (int bar = 0; bar < bars; ++bar) {
        const int root = chords[bar % 8][0] - 24;
        if (bar < 8) {
            // The opening walks in quarter notes.
            for (int beat = 0; beat < 4; ++beat) {
                const int note = beat == 2 ? root + 12 : root;
                play(loop, timeOf(bar, beat * 4), sixteenth * 3.6, 0.02, 0.0, bassLevel,
                     bassVoice(midiToHz(note)));
            }
            continue;
        }
        const int pattern[8] = {0, 0, 12, 0, 0, 7, 12, 0};
        for (int eighth = 0; eighth < 8; ++eighth) {
            play(loop, timeOf(bar, eighth * 2), sixteenth * 1.7, 0.02, 0.0, bassLevel,
                 bassVoice(midiToHz(root + pattern[eighth])));
        }
    }
}

void addPads(Loop& loop) {
    for (int bar = 0; bar < bars; ++bar) {
        for (int k = 0; k < 3; ++k) {
            const double hz = midiToHz(chords[bar % 8][k]);
            const double pan = (k - 1) * 0.5;
            play(loop, timeOf(bar, 0), barLength, 0.45, pan, padLevel, padVoice(hz, 1.006));
            play(loop, timeOf(bar, 0), barLength, 0.45, -pan, padLevel, padVoice(hz * 0.5, 0.994));
        }
    }
}

void addArpeggio(Loop& echoBus, int firstBar) {
    const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
    for (int bar = firstBar; bar < bars; ++bar) {
        const int* chord = chords[bar % 8];
        for (int step = 0; step < 16; ++step) {
            const int index = order[step % 8];
            const int note = (index == 3 ? chord[0] + 12 : chord[index]) + 12;
            const double pan = (step % 2 == 0) ? -0.35 : 0.35;
            play(echoBus, timeOf(bar, step), sixteenth * 0.8, 0.03, pan, arpLevel,
                 pluckVoice(midiToHz(note), 0.5, bar < 8 ? 1800 : 2600));
        }
    }
}

void addMelody(Loop& echoBus, const MelodyNote* notes, int count, int firstBar) {
    for (int i = 0; i < count; ++i) {
        const MelodyNote& n = notes[i];
        play(echoBus, timeOf(firstBar + n.bar, n.step), sixteenth * n.length - 0.02, 0.07, 0.1,
             leadLevel, leadVoice(midiToHz(n.midi)));
    }
}

void addDrums(Loop& loop) {
    std::uint64_t seed = 1;
    for (int bar = 0; bar < bars; ++bar) {
        const bool full = bar >= 8;
        for (int eighth = 0; eighth < 8; ++eighth) {
            const bool open = eighth == 7 && bar % 2 == 1 && full;
            hat(loop, timeOf(bar, eighth * 2), open ? 0.25 : 0.08,
                (eighth % 2 == 0 ? 0.14 : 0.09) * (full ? 1.0 : 0.7), 0.3, seed++);
        }
        if (!full) {
            kick(loop, timeOf(bar, 0), 0.55);
            continue;
        }
        kick(loop, timeOf(bar, 0), 0.9);
        kick(loop, timeOf(bar, 8), 0.9);
        if (bar % 4 == 3) {
            kick(loop, timeOf(bar, 14), 0.7);
        }
        const bool fill = bar % 8 == 7;
        snare(loop, timeOf(bar, 4), 0.5, seed++);
        if (fill) {
            for (int step = 10; step < 16; ++step) {
                snare(loop, timeOf(bar, step), 0.22 + 0.05 * (step - 10), seed++);
            }
        } else {
            snare(loop, timeOf(bar, 12), 0.5, seed++);
        }
    }
}

// A ping-pong echo, run twice round the loop so that the echoes of the end fall on the start.
void echo(Loop& bus, double delaySeconds, double feedback, double wet) {
    const int delay = secondsToFrames(delaySeconds);
    std::vector<double> lineLeft(delay, 0.0), lineRight(delay, 0.0);
    Samples dryLeft = bus.left(), dryRight = bus.right();
    int at = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < bus.frames(); ++i) {
            const double fromLeft = lineLeft[at], fromRight = lineRight[at];
            lineLeft[at] = dryRight[i] * 0.5 + fromRight * feedback;
            lineRight[at] = dryLeft[i] * 0.5 + fromLeft * feedback;
            at = (at + 1) % delay;
            if (pass == 1) {
                bus.left()[i] = static_cast<float>(dryLeft[i] + fromLeft * wet);
                bus.right()[i] = static_cast<float>(dryRight[i] + fromRight * wet);
            }
        }
    }
}

} // namespace

Stereo nightTheme() {
    Loop loop;
    addBass(loop);
    addPads(loop);
    addDrums(loop);
    Loop echoBus;
    addArpeggio(echoBus, 0);
    addMelody(echoBus, tuneA, static_cast<int>(std::size(tuneA)), 16);
    addMelody(echoBus, tuneB, static_cast<int>(std::size(tuneB)), 24);
    echo(echoBus, sixteenth * 3, 0.35, 0.5);
    Stereo mix{std::move(loop.left()), std::move(loop.right())};
    for (int i = 0; i < echoBus.frames(); ++i) {
        mix.left[i] += echoBus.left()[i];
        mix.right[i] += echoBus.right()[i];
    }
    // Gentle saturation glues the mix before it is brought down to its level.
    for (Samples* channel : {&mix.left, &mix.right}) {
        for (float& s : *channel) {
            s = static_cast<float>(std::tanh(s * 0.8));
        }
    }
    normalise(mix, musicPeak);
    return mix;
}

} // namespace audio
