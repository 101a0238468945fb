// The hero's think: the jump arc, the sword's strike, and the bands that scroll or stop it.
#include "pieces/player.h"

#include "state/globals.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The jump arc is half a sine wave over the jump clock. The factor is 22/7 rather than pi, so the
// hero is back on the ground at about 999.6 ms instead of exactly one second.
constexpr double arcFactor = 3.142857142857143;
constexpr double msPerSecond = 1000.0;
// At the jump's first frame the sine is 0 too: no touchdown before this many ms.
constexpr Uint32 touchdownGuardMs = 50;
// Jump clock limits of the phases start, up, top and down; past the last the input step's
// animation stays.
constexpr Uint32 jumpStartEndMs = 100;
constexpr Uint32 jumpUpEndMs = 400;
constexpr Uint32 jumpTopEndMs = 600;
constexpr Uint32 jumpDownEndMs = 900;

// The sword cuts on these frames of its swing.
constexpr int firstCuttingFrame = 5;
constexpr int lastCuttingFrame = 6;
// Enemies closer than this are struck if in front, and scream either way.
constexpr double swordReach = 150.0;
// An enemy up to this far behind the hero's x still counts as in front.
constexpr double sideMargin = 20.0;

// Screen x that the hero keeps; beyond it the World scrolls instead.
constexpr double bandLeft = 100.0;
constexpr double bandRight = 600.0;
// Screen y of the hero's feet: the street.
constexpr double streetTop = 150.0;
constexpr double streetBottom = 485.0;

// A scroll built by the band rule: speed 1 and topSpeed 2, which moveBy ignores.
constexpr int scrollSpeed = 1;
constexpr int scrollTopSpeed = 2;

// Truncates toward zero to whole pixels, kept inside int.
int wholePixels(double pixels) {
    return static_cast<int>(
        std::clamp(pixels, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace

Vec2 player::worldScroll() {
    GamePiece* world = pieces[worldSlot];
    return world == nullptr ? Vec2(0.0, 0.0) : world->getScroll();
}

bool player::think() {
    if (jumping) {
        followJumpArc();
    }
    if (animation == swordAnimation && (frame == firstCuttingFrame || frame == lastCuttingFrame)) {
        strikeWithSword();
    }
    keepInHorizontalBand();
    keepInVerticalBand();
    return false;
}

void player::followJumpArc() {
    const double jumpClock = static_cast<double>(frameTick - jumpStartTick);
    lift = -std::sin(jumpClock * arcFactor / msPerSecond) * jumpHeight;
    if (lift >= 0.0 && frameTick - jumpStartTick > touchdownGuardMs) {
        lift = 0.0;
        jumping = false;
        animation = landingAnimation;
    }
    // The phase overrides whatever the input step chose, a swing and dying included.
    const Uint32 phaseClock = frameTick - jumpStartTick;
    if (phaseClock < jumpStartEndMs) {
        animation = jumpStartAnimation;
    } else if (phaseClock < jumpUpEndMs) {
        animation = jumpUpAnimation;
    } else if (phaseClock < jumpTopEndMs) {
        animation = jumpTopAnimation;
    } else if (phaseClock < jumpDownEndMs) {
        animation = jumpDownAnimation;
    }
}

void player::strikeWithSword() {
    const Vec2 scroll = worldScroll();
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        GamePiece* enemy = pieces[slot];
        if (enemy == nullptr || !enemy->isAlive()) {
            continue;
        }
        const Vec2 onScreen = enemy->position + scroll;
        if (distance(onScreen, position) >= swordReach) {
            continue;
        }
        const bool inFront = (facing == facingRight && onScreen.x > position.x - sideMargin) ||
                             (facing == facingLeft && onScreen.x < position.x + sideMargin);
        if (inFront) {
            enemy->kill();
        }
        // The engine does not restart a scream that is still sounding, so a crowd screams once.
        heroSounds().playEffect("death", "wilhelm", 1);
    }
}

void player::keepInHorizontalBand() {
    if (position.x <= bandRight && position.x >= bandLeft) {
        return;
    }
    position.x -= motion.vx;
    if (GamePiece* world = pieces[worldSlot]) {
        // Less than a whole pixel scrolls nothing; the hero then waits at the band's edge.
        world->moveBy(Motion(wholePixels(-motion.vx), 0, scrollSpeed, scrollTopSpeed));
    }
}

void player::keepInVerticalBand() {
    if (position.y > streetBottom) {
        position.y = streetBottom;
    }
    if (position.y < streetTop) {
        position.y = streetTop;
    }
}
