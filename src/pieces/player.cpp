// The hero: construction, its animation table, its animation step with the swing report, death.
#include "pieces/player.h"

#include "platform/console.h"
#include "shell/globals.h"
#include "sound/sound_engine.h"

#include <iostream>

namespace {

// The swing is over when the sword animation steps past its last frame.
constexpr int swordEndFrame = 10;
// After its first pass the run loops from here, skipping its opening frame.
constexpr int runLoopFrame = 1;

// The score line counts this many points for a run that completes every enemy.
constexpr double fullScore = 10000.0;
// The survival time is shown to a tenth of a second, truncated.
constexpr Uint32 msPerTenth = 100;
constexpr double tenthsPerSecond = 10.0;

void playWithEngine(const char* category, const char* name, int rearm) {
    SoundEngine::instance()->playEffect(category, name, rearm);
}

void startSequenceThread() {
    SoundEngine::startGameOverThread();
}

} // namespace

HeroSounds& heroSounds() {
    static HeroSounds hooks{playWithEngine, startSequenceThread};
    return hooks;
}

void restoreHeroSounds() {
    heroSounds() = HeroSounds{playWithEngine, startSequenceThread};
}

player::player(Vec2 position) : jumping(false), jumpStartTick(0), gameOverStarted(false) {
    reset();
    player::load();
    this->position = position;
    animation = idleAnimation;
}

bool player::load() {
    std::cout << "Loading Player" << std::endl;
    buildAnimationTable({10, 1, 1, 2, 1, 2, 2, 2, 10, 2, 2});
    bindFrames(runAnimation, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    bindFrames(idleAnimation, {14});
    bindFrames(jumpStartAnimation, {17});
    bindFrames(jumpUpAnimation, {18, 19});
    bindFrames(jumpTopAnimation, {20});
    bindFrames(jumpDownAnimation, {21, 22});
    bindFrames(landingAnimation, {23, 24});
    bindFrames(unusedIdleAnimation, {15, 16});
    // sword10 is offered as an eleventh frame; the table has room for ten, so it is never shown.
    bindFrames(swordAnimation, {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37});
    bindFrames(dyingAnimation, {44, 45});
    bindFrames(unusedShotAnimation, {46, 47});
    return true;
}

void player::kill() {
    animation = dyingAnimation;
    // One sequence per run: it gives the same jingle and the same end however often the World
    // finds the health spent.
    if (!gameOverStarted) {
        gameOverStarted = true;
        heroSounds().startGameOver();
    }
}

void player::animate() {
    if (!animationStepDue()) {
        return;
    }
    advanceFrame();
    if (frame >= frameCounts[animation]) {
        if (animation == runAnimation) {
            frame = runLoopFrame;
        } else if (animation == swordAnimation && frame == swordEndFrame) {
            platform::clearConsole();
            reportSwing();
            animation = idleAnimation;
            frame = 0;
        }
        // Every other animation keeps its index; draw shows frame 0 for it and starts over.
    }
    platform::clearConsole();
}

void player::reportSwing() {
    const int score =
        static_cast<int>(static_cast<double>(completedCount) / pieceCount * fullScore);
    const double seconds = frameTick / msPerTenth / tenthsPerSecond;
    std::cout << "Score: " << score << std::endl;
    std::cout << "You have survived for " << seconds << " seconds" << std::endl;
}
