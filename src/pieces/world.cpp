// The scene: background and camera, the status bar, and the recovering health and ammo meters.
#include "pieces/world.h"

#include "render/screen_blit.h"
#include "sprites/interface_layout.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <algorithm>

namespace {

// The animation table: the backgrounds, and the status bar with its two meters.
constexpr int backgroundAnimation = 0;
constexpr int statusAnimation = 1;
constexpr int cityFrame = 0;
constexpr int undergroundFrame = 1;
constexpr int barFrame = 0;
constexpr int healthFrame = 1;
constexpr int ammoFrame = 2;

// Where the status bar and the meters sit on the screen.
constexpr int barX = interface_layout::barX;
constexpr int barY = interface_layout::barY;
constexpr int meterX = 220;
constexpr int healthMeterY = 538;
constexpr int ammoMeterY = 560;

// The background's right edge never comes left of this x: the window is 800 wide, and the
// last three columns are allowed to show past the picture.
constexpr int rightEdgeLimit = 803;

// The meter step: at most once per this many ms, health and ammo grow by these factors.
constexpr Uint32 meterStepMs = 100;
constexpr double healthRecovery = 1.005;
constexpr double ammoRecovery = 1.01;
constexpr double full = 1.0;
// A health at or below this after a step is spent for good.
constexpr double spentHealth = 0.0025;
// An ammo level at or below this after a step is raised to the floor.
constexpr double ammoLow = 0.009;
constexpr double ammoFloor = 0.01;

// Blits the left `fraction` of `meter`, full height, with its top-left corner at (x, y). The
// cut is a source rectangle, so no surface is made.
void blitMeter(SDL_Surface* meter, int fullWidth, double fraction, int x, int y) {
    if (meter == nullptr) {
        return;
    }
    const int columns = std::min(static_cast<int>(fullWidth * fraction), meter->w);
    if (columns <= 0) {
        return;
    }
    SDL_Rect cut{0, 0, static_cast<Uint16>(columns), static_cast<Uint16>(meter->h)};
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    blitToScreen(meter, &cut, &destination);
}

int widthOf(SDL_Surface* picture) {
    return picture == nullptr ? 0 : picture->w;
}

} // namespace

World::World(Vec2 corner) : scroll(0.0, 0.0) {
    GamePiece::reset();
    World::load();
    position = corner;
    health = full;
    ammo = full;
}

bool World::load() {
    buildAnimationTable({2, 3});
    bindFrames(backgroundAnimation, {sprite::city, sprite::underground});
    bindFrames(statusAnimation, {sprite::statusBar, sprite::healthMeter, sprite::ammoMeter});
    healthBarWidth = widthOf(animations[statusAnimation].frames[healthFrame]);
    ammoBarWidth = widthOf(animations[statusAnimation].frames[ammoFrame]);
    return true;
}

void World::draw() {
    if (SDL_Surface* background = animations[backgroundAnimation].frames[frame]) {
        blitAt(background, position.x, position.y);
    }
    const std::vector<SDL_Surface*>& status = animations[statusAnimation].frames;
    if (status[barFrame] != nullptr) {
        blitAt(status[barFrame], barX, barY);
    }
    blitMeter(status[healthFrame], healthBarWidth, health, meterX, healthMeterY);
    blitMeter(status[ammoFrame], ammoBarWidth, ammo, meterX, ammoMeterY);
}

void World::changeHealth(double amount, int sign) {
    health += sign * amount;
}

void World::changeAmmo(double amount, int sign) {
    ammo += sign * amount;
}

void World::animate() {
    const Uint32 now = frameTick;
    if (now - lastFrameTick <= meterStepMs) {
        return;
    }
    health *= healthRecovery;
    if (health > full) {
        health = full;
    } else if (health <= spentHealth) {
        health = 0.0;
    }
    ammo *= ammoRecovery;
    if (ammo > full) {
        ammo = full;
    } else if (ammo <= ammoLow) {
        ammo = ammoFloor;
    }
    if (health == 0.0) {
        if (GamePiece* hero = pieces[heroSlot]) {
            hero->kill();
        }
    }
    lastFrameTick = now;
}

void World::moveBy(Motion by) {
    position.x += by.vx;
    position.y += by.vy;
    scroll = position;
    if (position.x > 0.0) {
        position.x = 0.0;
    } else {
        keepRightEdgeCovered();
    }
}

int World::getScene() {
    return frame;
}

Vec2 World::getScroll() {
    return scroll;
}

void World::handleInput() {
    if (frameEvent.type != SDL_KEYDOWN) {
        return;
    }
    switch (frameEvent.key.keysym.sym) {
    case SDLK_1:
        frame = cityFrame;
        break;
    case SDLK_2:
        frame = undergroundFrame;
        break;
    default:
        return;
    }
    // The other background may be narrower: don't leave a gap at the right.
    keepRightEdgeCovered();
}

int World::backgroundWidth() {
    return widthOf(animations[backgroundAnimation].frames[frame]);
}

void World::keepRightEdgeCovered() {
    const int limit = rightEdgeLimit - backgroundWidth();
    if (limit > position.x) {
        position.x = limit;
    }
}
