// The crawler's pictures, its death and its strikes.
#include "pieces/crawler.h"

#include "pieces/enemy_kinds.h"
#include "sprites/sprite_catalogue.h"

namespace {

constexpr int walkFrames = 3;
constexpr int dieFrames = 6;
constexpr int attackFrames = 5;
// A spare still picture kept after the four shared animations; never selected.
constexpr int spareAnimation = 4;

} // namespace

template <> GamePiece* buildEnemy<crawler>(Vec2 start) {
    return new crawler(start);
}

crawler::crawler(Vec2 start) {
    GamePiece::reset();
    crawler::load();
    position = start;
    dead = true;
}

bool crawler::load() {
    buildAnimationTable({walkFrames, 1, dieFrames, attackFrames, 1});
    bindFrames(walkAnimation, {sprite::crawlerWalk0, sprite::crawlerWalk1, sprite::crawlerWalk2});
    bindFrames(idleAnimation, {sprite::crawlerRunStart});
    bindFrames(dieAnimation, {sprite::crawlerDie0, sprite::crawlerDie1, sprite::crawlerDie2,
                              sprite::crawlerDie0, sprite::crawlerDie1, sprite::crawlerDie2});
    bindFrames(attackAnimation, {sprite::crawlerRun0, sprite::crawlerRun1, sprite::crawlerRun2,
                                 sprite::crawlerRun3, sprite::crawlerRun4});
    bindFrames(spareAnimation, {sprite::crawlerIdle});
    return true;
}

void crawler::kill() {
    startDying();
}

void crawler::animate() {
    animateAndStrike(frame % 2 == 1, enemy_kind::crawlerDamage);
}
