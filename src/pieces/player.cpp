// The hero: construction, its animation table, its animation step with the swing report, death.
#include "pieces/player.h"

#include "platform/console.h"
#include "sound/sound_engine.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

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

player::player(Vec2 start) : jumping(false), jumpStartTick(0), gameOverStarted(false) {
    GamePiece::reset();
    player::load();
    position = start;
    animation = idleAnimation;
}

bool player::load() {
    std::cout << "Loading Player" << std::endl;
    buildAnimationTable({10, 1, 1, 2, 1, 2, 2, 2, 10, 2, 2});
    bindFrames(runAnimation,
               {sprite::heroRun0, sprite::heroRun1, sprite::heroRun2, sprite::heroRun3,
                sprite::heroRun4, sprite::heroRun5, sprite::heroRun6, sprite::heroRun7,
                sprite::heroRun8, sprite::heroRun9});
    bindFrames(idleAnimation, {sprite::heroIdle0});
    bindFrames(jumpStartAnimation, {sprite::heroJumpStart});
    bindFrames(jumpUpAnimation, {sprite::heroJumpUp0, sprite::heroJumpUp1});
    bindFrames(jumpTopAnimation, {sprite::heroJumpTop});
    bindFrames(jumpDownAnimation, {sprite::heroJumpDown0, sprite::heroJumpDown1});
    bindFrames(landingAnimation, {sprite::heroJumpLand0, sprite::heroJumpLand1});
    bindFrames(unusedIdleAnimation, {sprite::heroIdle1, sprite::unfilled});
    // sword10 is offered as an eleventh frame; the table has room for ten, so it is never shown.
    bindFrames(swordAnimation,
               {sprite::heroSword0, sprite::heroSword1, sprite::heroSword2, sprite::heroSword3,
                sprite::heroSword4, sprite::heroSword5, sprite::heroSword6, sprite::heroSword7,
                sprite::heroSword8, sprite::heroSword9, sprite::heroSword10});
    bindFrames(dyingAnimation, {sprite::heroDie0, sprite::heroDie1});
    bindFrames(unusedShotAnimation, {sprite::heroJumpShot2Again, sprite::heroJumpShot3Again});
    return true;
}

void player::kill() {
    animation = dyingAnimation;
    // One sequence per run: it gives the same jingle and the same end however often the World
    // finds the health spent.
    if (!gameOverStarted) {
        gameOverStarted = true;
        heroDead = true;
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
    const Uint32 tenths = frameTick / msPerTenth;
    const double seconds = tenths / tenthsPerSecond;
    std::cout << "Score: " << score << std::endl;
    std::cout << "You have survived for " << seconds << " seconds" << std::endl;
}
