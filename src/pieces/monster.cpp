// The shared enemy behaviour: chase, crowding, movement, animation stepping and drawing.
#include "pieces/monster.h"

#include "crowd/crowding.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <cmath>

namespace {

// Only within this horizontal distance does an enemy follow the hero up and down.
constexpr double verticalPursuitWindow = 150.0;
// Closer than this (straight line, screen) an enemy attacks instead of walking.
constexpr double attackRange = 100.0;
// Closer than this an enemy touches the hero and stands.
constexpr double touchingDistance = 35.0;
// The street band enemies walk in (y of the feet).
constexpr double streetTop = 150.0;
constexpr double streetBottom = 485.0;
// Enemies closer than this on one axis push apart on it by an eighth of the difference.
constexpr double crowdingDistance = 30.0;
constexpr double crowdingPushDivisor = 8.0;
constexpr double msPerSecond = 1000.0;
// The hero is in the air, out of reach of strikes, at this lift or higher up (more negative).
constexpr double heroAirborneLift = -10.0;
constexpr int strikeSign = -1; // strikes lower the health

// The monster's own table; every kind replaces it with its own.
constexpr int ownWalkFrames = 11;
constexpr int ownDieFrames = 11;

GamePiece* world() {
    return pieces[worldSlot];
}
GamePiece* hero() {
    return pieces[heroSlot];
}

} // namespace

monster::monster() {
    GamePiece::reset();
    monster::load();
}

bool monster::load() {
    buildAnimationTable({ownWalkFrames, 1, ownDieFrames, 1});
    bindFrames(walkAnimation,
               {sprite::heroRunStart, sprite::heroRun0, sprite::heroRun1, sprite::heroRun2,
                sprite::heroRun3, sprite::heroRun4, sprite::heroRun5, sprite::heroRun6,
                sprite::heroRun7, sprite::heroRun8, sprite::heroRun9});
    bindFrames(idleAnimation, {sprite::heroIdle0});
    animation = walkAnimation;
    return true;
}

void monster::update() {
    if (dead) {
        return;
    }
    handleInput();
    if (animation != dieAnimation) {
        chase();
        think();
    }
    animate();
    draw();
}

void monster::handleInput() {}

void monster::chase() {
    const GamePiece* target = hero();
    const Vec2 onScreen = screenPosition();
    motion.vx = onScreen.x < target->position.x ? motion.speed : -motion.speed;
    // The vertical test compares the y values as they stand (our world y, the hero's screen y).
    if (std::fabs(target->position.x - onScreen.x) < verticalPursuitWindow) {
        motion.vy = position.y < target->position.y ? motion.speed : -motion.speed;
    }
    animation =
        distance(target->position, onScreen) < attackRange ? attackAnimation : walkAnimation;
}

bool monster::think() {
    separate();
    if (distanceToHero() >= touchingDistance) {
        const Uint32 elapsed = frameTick - lastFrameEndTick;
        position.x += elapsed * motion.vx / msPerSecond;
        position.y += elapsed * motion.vy / msPerSecond;
    }
    if (position.y > streetBottom) {
        position.y = streetBottom;
    } else if (position.y < streetTop) {
        position.y = streetTop;
    }
    return false;
}

void monster::separate() {
    position = crowding::pushApart(this, position, crowdingDistance, crowdingPushDivisor);
}

void monster::animate() {
    if (!animationStepDue()) {
        return;
    }
    advanceFrame();
    if (frame >= frameCounts[animation]) {
        frame = 0;
    }
}

void monster::draw() {
    const Vec2 onScreen = screenPosition();
    SDL_Surface* picture = currentPicture();
    if (picture == nullptr) {
        return;
    }
    crowding::drawEnemy(picture, destinationAt(onScreen.x, onScreen.y + lift - picture->h));
}

void monster::startDying() {
    animation = dieAnimation;
}

void monster::animateAndStrike(bool onStrikeFrame, double damage) {
    if (!animationStepDue()) {
        return;
    }
    if (animation == attackAnimation && onStrikeFrame && hero()->lift > heroAirborneLift) {
        world()->changeHealth(damage, strikeSign);
    }
    advanceFrame();
    if (animation == dieAnimation && frame == deathEndFrame) {
        dead = true;
        ++completedCount;
    }
    if (frame >= frameCounts[animation]) {
        frame = 0;
    }
}

Vec2 monster::screenPosition() {
    return position + world()->getScroll();
}

double monster::distanceToHero() {
    return distance(hero()->position, screenPosition());
}
