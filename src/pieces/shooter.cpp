// The shooter's pictures, its death and its strike.
#include "pieces/shooter.h"

#include "pieces/enemy_kinds.h"
#include "sprites/sprite_catalogue.h"

namespace {

constexpr int walkFrames = 2;
constexpr int dieFrames = 6;
constexpr int attackFrames = 2;
constexpr int strikeFrame = 0;

} // namespace

template <> GamePiece* buildEnemy<shooter>(Vec2 start) {
    return new shooter(start);
}

shooter::shooter(Vec2 start) {
    GamePiece::reset();
    shooter::load();
    position = start;
    dead = true;
}

bool shooter::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames});
    bindFrames(walkAnimation, {sprite::shooterWalk0, sprite::shooterWalk1});
    bindFrames(idleAnimation, {sprite::shooterIdle});
    bindFrames(dieAnimation, {sprite::shooterDie, sprite::shooterDie, sprite::shooterDie,
                              sprite::shooterDie, sprite::shooterDie, sprite::shooterDie});
    bindFrames(attackAnimation, {sprite::shooterShoot0, sprite::shooterShoot1});
    return true;
}

void shooter::kill() {
    startDying();
}

void shooter::animate() {
    animateAndStrike(frame == strikeFrame, enemy_kind::shooterDamage);
}
