// Crowding: the frame's Crowd and its helper thread, behind the calls the game makes.
#include "crowd/crowding.h"

#include "crowd/crowd.h"
#include "pieces/game_piece.h"
#include "render/blit_queue.h"
#include "render/screen_blit.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// The environment switch that runs the game on the plain pass alone, and the value that sets it.
constexpr const char* plainSwitch = "GHOULRUN_PLAIN_CROWD";
constexpr const char* plainSwitchOn = "1";

Crowd crowd;
bool plainOnlyRun = false;

} // namespace

Crowd& frameCrowd() {
    return crowd;
}

namespace crowding {

Vec2 plainPass(const GamePiece* self, Vec2 own, double distance, double divisor) {
    // This pass runs for every enemy against every enemy, so it stays lean: no kind overrides
    // isAlive, so reading `dead` gives the same answer without a virtual call per pair.
    const int newest = newestReleasedSlot();
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        const GamePiece* other = pieces[slot];
        if (other == self || other == nullptr || other->dead) {
            continue;
        }
        const double dx = own.x - other->position.x;
        if (std::fabs(dx) < distance) {
            own.x += dx / divisor;
        }
        const double dy = own.y - other->position.y;
        if (std::fabs(dy) < distance) {
            own.y += dy / divisor;
        }
    }
    return own;
}

Vec2 pushApart(const GamePiece* self, Vec2 own, double distance, double divisor) {
    if (const int slot = crowd.slotOf(self)) {
        if (const std::optional<Vec2> pushed = crowd.separate(slot, own, distance, divisor)) {
            return *pushed;
        }
    }
    return plainPass(self, own, distance, divisor);
}

void drawEnemy(SDL_Surface* picture, SDL_Rect at) {
    blitToScreen(picture, nullptr, &at);
}

void prepare() {
    const char* plain = std::getenv(plainSwitch);
    setPlainOnly(plain != nullptr && std::strcmp(plain, plainSwitchOn) == 0);
    if (!plainOnlyRun) {
        // The helper makes the frame's queued blits between its shares of the passes.
        crowd.shareHelperWith([] { return frameBlits().blitQueued(); },
                              [] { return frameBlits().drawAhead(); });
        crowd.prepareHelper();
        frameBlits().shareDrawing(spriteCatalogue, catalogueSize);
    }
}

void setPlainOnly(bool plain) {
    plainOnlyRun = plain;
}

bool plainOnly() {
    return plainOnlyRun;
}

void beginFrame() {
    if (plainOnlyRun) {
        return; // the Crowd stays closed: every pass is the plain one, every blit made at once
    }
    crowd.open();
    if (crowd.isHelped()) {
        frameBlits().open();
    }
}

void updateEnemy(int slot, GamePiece& enemy) {
    if (plainOnlyRun) {
        enemy.update();
        return;
    }
    crowd.enter(slot);
    enemy.update();
    crowd.refresh(slot);
}

void endFrame() {
    frameBlits().close();
    crowd.close();
}

} // namespace crowding
