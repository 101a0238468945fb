// The shooter's pictures, its death and its strike.
#include "pieces/shooter.h"

namespace {

constexpr int walkFrames = 2;
constexpr int dieFrames = 6;
constexpr int attackFrames = 2;
constexpr int strikeFrame = 0;
constexpr double strikeDamage = 0.03; // fraction of full health

} // namespace

shooter::shooter(Vec2 start) {
    reset();
    shooter::load();
    position = start;
    dead = true;
}

bool shooter::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames});
    bindFrames(walkAnimation, {76, 77});
    bindFrames(idleAnimation, {75});
    bindFrames(dieAnimation, {80, 80, 80, 80, 80, 80});
    bindFrames(attackAnimation, {78, 79});
    return true;
}

void shooter::kill() {
    startDying();
}

void shooter::animate() {
    animateAndStrike(frame == strikeFrame, strikeDamage);
}
