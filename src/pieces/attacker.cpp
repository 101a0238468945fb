// The attacker's pictures, its death and its strike.
#include "pieces/attacker.h"

namespace {

constexpr int walkFrames = 3;
constexpr int dieFrames = 6;
constexpr int attackFrames = 2;
constexpr int strikeFrame = 0;
constexpr double strikeDamage = 0.02; // fraction of full health

} // namespace

attacker::attacker(Vec2 start) {
    reset();
    attacker::load();
    position = start;
    dead = true;
}

bool attacker::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames});
    bindFrames(walkAnimation, {53, 54, 55});
    bindFrames(idleAnimation, {52});
    bindFrames(dieAnimation, {59, 60, 61, 59, 60, 61});
    bindFrames(attackAnimation, {57, 58});
    return true;
}

void attacker::kill() {
    startDying();
}

void attacker::animate() {
    animateAndStrike(frame == strikeFrame, strikeDamage);
}
