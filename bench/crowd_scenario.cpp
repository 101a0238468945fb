// The benchmarks' scenario, set up through the game's own paths (see crowd_scenario.h).
#include "crowd_scenario.h"

#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "shell/game.h"
#include "state/globals.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace bench {
namespace {

// The crowd's walk to the hero: a few long frames, each half the one before (an enemy that
// overshoots turns back), then frames of the usual length.
constexpr Uint32 approachFrames[] = {24000, 12000, 6000, 3000, 1500, 800, 400, 200, 100, 50, 32};
constexpr int settleFrames = 30;

} // namespace

void quietHero() {
    heroSounds() = HeroSounds{[](const char*, const char*, int) {}, [] {}};
}

World* world() {
    return static_cast<World*>(pieces[worldSlot]);
}

void freshRun() {
    destroyRoster();
    platform::useTestClock(0);
    resetShellGlobals(platform::ticks());
    buildRoster();
    gameState = statePlaying;
}

void releaseEnemies(int count) {
    while (newestReleasedSlot() - heroSlot < count) {
        platform::advanceTestClock(1);
        frameTick = platform::ticks(); // each release test as a frame of its own would see it
        releaseDueEnemy();
    }
    // The frames that would have run meanwhile are skipped: the next one is timed from here.
    lastFrameEndTick = platform::ticks();
}

void holdFrame(Uint32 ms) {
    platform::advanceTestClock(ms);
    lastSpawnTick = platform::ticks();
    world()->health = 1.0;
}

void stepFrame(Uint32 ms) {
    holdFrame(ms);
    runFrame();
}

void setUpCrowd(int n) {
    std::streambuf* console = std::cout.rdbuf(nullptr); // "Loading ..." and console clearing
    freshRun();
    releaseEnemies(n);
    for (Uint32 ms : approachFrames) {
        stepFrame(ms);
    }
    for (int i = 0; i < settleFrames; ++i) {
        stepFrame(frameMs);
    }
    std::cout.rdbuf(console);
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(std::ceil(share * values.size())) - 1;
    return values[std::min(at, values.size() - 1)];
}

double median(const std::vector<double>& values) {
    return percentile(values, 0.5);
}

} // namespace bench
