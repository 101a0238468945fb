// The benchmarks' scenario: a run started afresh through the game's own paths, a crowd of N
// enemies released through the release schedule and walked to the hero, then frames on the test
// clock with the crowd's size and the hero held. Both the desktop's frame benchmark and the
// browser build's frame times measure their frames on it.
#pragma once

#include <SDL/SDL.h>

#include <vector>

class World;

namespace bench {

// The game time between two measured frames, in ms.
inline constexpr Uint32 frameMs = 16;

// Sends the hero's sounds nowhere: the benchmarks open no sound device.
void quietHero();

// The run's World piece.
World* world();

// A fresh run at timer 0 on the test clock: the whole roster, nothing released.
void freshRun();

// Releases `count` enemies through the release schedule, stepping the test clock 1 ms at a time;
// the next frame is timed from the last release.
void releaseEnemies(int count);

// Readies the frame `ms` after the last: the test clock advanced, the release schedule held so
// that N stays as it is, and the hero's health kept up so that the hero keeps standing or running.
void holdFrame(Uint32 ms);

// holdFrame, then the frame.
void stepFrame(Uint32 ms);

// A fresh run with `n` enemies, released and walked to the hero: the same crowd every time. What
// the game prints meanwhile is left out.
void setUpCrowd(int n);

// The value below which `share` (0 to 1) of `values` lie, by the nearest rank; `values` not empty.
double percentile(std::vector<double> values, double share);

double median(const std::vector<double>& values);

} // namespace bench
