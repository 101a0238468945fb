// The crawler's pictures, its death and its strikes.
#include "pieces/crawler.h"

namespace {

constexpr int walkFrames = 3;
constexpr int dieFrames = 6;
constexpr int attackFrames = 5;
// A spare still picture kept after the four shared animations; never selected.
constexpr int spareAnimation = 4;
constexpr double strikeDamage = 0.02; // fraction of full health, per strike

} // namespace

crawler::crawler(Vec2 start) {
    reset();
    crawler::load();
    position = start;
    dead = true;
}

bool crawler::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames, 1});
    bindFrames(walkAnimation, {64, 65, 66});
    bindFrames(idleAnimation, {63});
    bindFrames(dieAnimation, {72, 73, 74, 72, 73, 74});
    bindFrames(attackAnimation, {67, 68, 69, 70, 71});
    bindFrames(spareAnimation, {62});
    return true;
}

void crawler::kill() {
    startDying();
}

void crawler::animate() {
    animateAndStrike(frame % 2 == 1, strikeDamage);
}
