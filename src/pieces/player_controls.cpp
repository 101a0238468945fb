// The hero's controls: the frame's event turned into movement, facing, a jump, a swing, a report.
#include "pieces/player.h"

#include "state/globals.h"

#include <cmath>
#include <iostream>

namespace {

// Run speed in pixels per second; the reset value 1 (or anything below 5) means "not set yet".
constexpr double defaultRunSpeed = 800.0;
constexpr double slowestRunSpeed = 5.0;
// Up the street goes at half the run speed, down it at the full speed.
constexpr double upStreetShare = 0.5;
constexpr double msPerSecond = 1000.0;
// Every jump starts with this amplitude, in pixels.
constexpr double jumpAmplitude = 200.0;

// The keypad speed keys: minus gives this much over the frame time, raised to the floor below
// the threshold; plus gives this much over the frame time in whole numbers. Both results are
// below the slowest run speed for any measurable frame, so the default comes straight back.
constexpr double minusNumerator = 0.5;
constexpr double minusThreshold = 2.0;
constexpr double minusFloor = 4.0;
constexpr double plusNumerator = 2.0;

bool isHorizontalKey(SDLKey key) {
    return key == SDLK_RIGHT || key == SDLK_KP6 || key == SDLK_LEFT || key == SDLK_KP4;
}

bool isVerticalKey(SDLKey key) {
    return key == SDLK_UP || key == SDLK_KP8 || key == SDLK_DOWN || key == SDLK_KP2;
}

} // namespace

void player::handleInput() {
    if (animation == dyingAnimation || animation == swordAnimation) {
        return;
    }
    const double frameTime = static_cast<double>(frameTick - lastFrameEndTick);
    switch (frameEvent.type) {
    case SDL_KEYDOWN:
        pressKey(frameEvent.key.keysym.sym, frameTime);
        break;
    case SDL_KEYUP:
        releaseKey(frameEvent.key.keysym.sym);
        break;
    case SDL_QUIT:
        gameState = stateQuit;
        break;
    default:
        break;
    }
    if (quitAtOnce) {
        return; // the shell ends the run with the hero as the key found it
    }
    if (animation != swordAnimation) {
        animation = motion.vx == 0.0 && motion.vy == 0.0 ? idleAnimation : runAnimation;
    }
    if (motion.speed < slowestRunSpeed) {
        motion.speed = defaultRunSpeed;
    }
}

void player::pressKey(SDLKey key, double frameTime) {
    const double speed = motion.speed;
    switch (key) {
    case SDLK_RIGHT:
    case SDLK_KP6:
        motion.vx = frameTime * speed / msPerSecond;
        facing = facingRight;
        break;
    case SDLK_LEFT:
    case SDLK_KP4:
        motion.vx = frameTime * -speed / msPerSecond;
        facing = facingLeft;
        break;
    case SDLK_UP:
    case SDLK_KP8:
        motion.vy = frameTime * -(speed * upStreetShare) / msPerSecond;
        break;
    case SDLK_DOWN:
    case SDLK_KP2:
        motion.vy = frameTime * speed / msPerSecond;
        break;
    case SDLK_LCTRL:
        if (!jumping) {
            jumpHeight = jumpAmplitude;
            jumping = true;
            jumpStartTick = frameTick;
        }
        break;
    case SDLK_SPACE:
        // The swing keeps the run's vx: a running hero slides on through it.
        animation = swordAnimation;
        frame = 0;
        motion.vy = 0.0;
        heroSounds().playEffect("sword", "slash", 1);
        break;
    case SDLK_p:
        reportPosition();
        break;
    case SDLK_q:
        quitAtOnce = true;
        break;
    case SDLK_KP_PLUS:
    case SDLK_KP_MINUS:
        adjustSpeed(key, frameTime);
        break;
    default:
        break;
    }
}

void player::releaseKey(SDLKey key) {
    // Releasing either key of an axis stops it, even while the other one is still held.
    if (isHorizontalKey(key)) {
        motion.vx = 0.0;
    } else if (isVerticalKey(key)) {
        motion.vy = 0.0;
    }
}

void player::adjustSpeed(SDLKey key, double frameTime) {
    // A frame that took no measurable time gives nothing to divide by: the speed stays.
    if (frameTime <= 0.0) {
        return;
    }
    if (key == SDLK_KP_MINUS) {
        motion.speed = minusNumerator / frameTime;
        if (motion.speed < minusThreshold) {
            motion.speed = minusFloor;
        }
    } else {
        motion.speed = std::trunc(plusNumerator / frameTime);
    }
}

void player::reportPosition() {
    std::cout << "SCREEN: " << position.x << "," << position.y << std::endl;
    std::cout << "WORLD : " << position.x - worldScroll().x << "," << position.y << std::endl;
}
