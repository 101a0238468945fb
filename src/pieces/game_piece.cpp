// The default behaviour every piece inherits: animation stepping, drawing, the per-frame update.
#include "pieces/game_piece.h"

#include "render/screen_blit.h"
#include "sprites/mirror_surface.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

namespace {

// An animation steps when more than this has passed since its last step.
constexpr Uint32 animationStepMs = 100;
constexpr int unsetArgument = -1;

// The mirror flags for each facing value; other values draw the picture as loaded.
Uint32 mirrorFlagsFor(int facing) {
    switch (facing) {
    case facingMirrored:
        return FLIP_HORIZONTAL;
    case facingUpsideDown:
        return FLIP_VERTICAL;
    case facingTurned:
        return FLIP_VERTICAL | FLIP_HORIZONTAL;
    default:
        return 0;
    }
}

} // namespace

GamePiece::GamePiece() : position(0.0, 0.0), motion() {
    GamePiece::reset();
    GamePiece::load();
}

bool GamePiece::setFrame(int animationIndex, int frameIndex, int spriteIndex) {
    if (animationIndex == unsetArgument || frameIndex == unsetArgument ||
        spriteIndex == unsetArgument) {
        return false;
    }
    if (animationIndex < 0 || animationIndex >= animationCount || frameIndex < 0 ||
        frameIndex >= frameCounts[animationIndex]) {
        return false;
    }
    animations[animationIndex].frames[frameIndex] = spriteAt(spriteIndex);
    return true;
}

bool GamePiece::load() {
    return true;
}

void GamePiece::reset() {
    position = Vec2(0.0, 0.0);
    motion = Motion(0, 0);
    animationCount = 0;
    animations.clear();
    frameCounts.clear();
    animation = 0;
    frame = 0;
    lastFrameTick = frameTick;
    lift = 0.0;
    jumpHeight = 0.0;
    facing = facingAsLoaded;
    dead = false;
}

void GamePiece::kill() {
    dead = true;
}

void GamePiece::activate() {
    dead = false;
}

bool GamePiece::isAlive() {
    return !dead;
}

void GamePiece::draw() {
    SDL_Surface* picture = currentPicture();
    if (picture == nullptr) {
        return;
    }
    const double top = position.y + lift - picture->h;
    const Uint32 flags = mirrorFlagsFor(facing);
    // The mirrored copy serves the blit alone; with blits off it is not worth making.
    if (flags == 0 || screenBlitsSkipped()) {
        blitAt(picture, position.x, top);
        return;
    }
    SDL_Surface* mirrored = mirrorSurface(picture, flags);
    blitAt(mirrored, position.x, top);
    SDL_FreeSurface(mirrored);
}

bool GamePiece::think() {
    return false;
}

void GamePiece::update() {
    if (dead) {
        return;
    }
    handleInput();
    if (quitAtOnce) {
        return; // the run ends where the frame stands
    }
    position.x += motion.vx;
    position.y += motion.vy;
    think();
    animate();
    draw();
}

void GamePiece::setSpeed(double speed) {
    motion.speed = speed;
}

void GamePiece::changeHealth(double, int) {}

void GamePiece::animate() {
    if (!animationStepDue()) {
        return;
    }
    advanceFrame();
    // Frame 0 opens the animation once; the loop then runs over frames 1 to count - 1.
    if (frame >= frameCounts[animation]) {
        frame = 1;
    }
}

void GamePiece::moveBy(Motion by) {
    position.x += by.vx;
    position.y += by.vy;
}

Vec2 GamePiece::setPosition(Vec2 to) {
    position = to;
    return position;
}

int GamePiece::getScene() {
    return 0;
}

Vec2 GamePiece::getScroll() {
    return Vec2(0.0, 0.0);
}

void GamePiece::handleInput() {}

void GamePiece::buildAnimationTable(std::initializer_list<int> counts) {
    animationCount = static_cast<int>(counts.size());
    frameCounts.assign(counts);
    animations.assign(counts.size(), Animation{});
    for (int i = 0; i < animationCount; ++i) {
        animations[i].frames.assign(frameCounts[i], nullptr);
    }
}

void GamePiece::bindFrames(int animationIndex, std::initializer_list<int> spriteIndices) {
    int frameIndex = 0;
    for (int spriteIndex : spriteIndices) {
        setFrame(animationIndex, frameIndex++, spriteIndex);
    }
}

bool GamePiece::animationStepDue() {
    const Uint32 now = frameTick;
    if (now - lastFrameTick <= animationStepMs) {
        return false;
    }
    lastFrameTick = now;
    return true;
}

void GamePiece::advanceFrame() {
    if (frame < frameCounts[animation]) {
        ++frame;
    }
}

SDL_Surface* GamePiece::currentPicture() {
    if (frame >= frameCounts[animation]) {
        frame = 0;
    }
    return animations[animation].frames[frame];
}

void GamePiece::blitAt(SDL_Surface* picture, double x, double y) {
    SDL_Rect destination = destinationAt(x, y);
    blitToScreen(picture, nullptr, &destination);
}

SDL_Rect GamePiece::destinationAt(double x, double y) {
    SDL_Rect destination;
    destination.x = static_cast<Sint16>(static_cast<int>(x));
    destination.y = static_cast<Sint16>(static_cast<int>(y));
    destination.w = 0;
    destination.h = 0;
    return destination;
}
