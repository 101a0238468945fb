// The attacker's pictures, its death and its strike.
#include "pieces/attacker.h"

#include "pieces/enemy_kinds.h"
#include "sprites/sprite_catalogue.h"

namespace {

constexpr int walkFrames = 3;
constexpr int dieFrames = 6;
constexpr int attackFrames = 2;
constexpr int strikeFrame = 0;

} // namespace

template <> GamePiece* buildEnemy<attacker>(Vec2 start) {
    return new attacker(start);
}

attacker::attacker(Vec2 start) {
    GamePiece::reset();
    attacker::load();
    position = start;
    dead = true;
}

bool attacker::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames});
    bindFrames(walkAnimation,
               {sprite::attackerWalk0, sprite::attackerWalk1, sprite::attackerWalk2});
    bindFrames(idleAnimation, {sprite::attackerIdle});
    bindFrames(dieAnimation, {sprite::attackerDie0, sprite::attackerDie1, sprite::attackerDie2,
                              sprite::attackerDie0, sprite::attackerDie1, sprite::attackerDie2});
    bindFrames(attackAnimation, {sprite::attackerSword0, sprite::attackerSword1});
    return true;
}

void attacker::kill() {
    startDying();
}

void attacker::animate() {
    animateAndStrike(frame == strikeFrame, enemy_kind::attackerDamage);
}
