// The state digest over the piece table and the shell's counters (xxHash, 64-bit).
#include "replay/state_digest.h"

#include "pieces/game_piece.h"
#include "pieces/world.h"
#include "shell/globals.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace replay {
namespace {

// An arbitrary fixed seed, so the digest of an empty table is not zero.
constexpr XXH64_hash_t digestSeed = 0x47686f756c72756eULL;

template <typename Value> void add(XXH3_state_t& state, const Value& value) {
    XXH3_64bits_update(&state, &value, sizeof value);
}

void addPiece(XXH3_state_t& state, const GamePiece& piece) {
    add(state, piece.position.x);
    add(state, piece.position.y);
    add(state, piece.motion.vx);
    add(state, piece.motion.vy);
    add(state, piece.motion.speed);
    add(state, piece.motion.topSpeed);
    add(state, piece.facing);
    add(state, piece.animation);
    add(state, piece.frame);
    add(state, piece.lastFrameTick);
    add(state, piece.lift);
    add(state, static_cast<unsigned char>(piece.dead));
}

void addWorld(XXH3_state_t& state, World& world) {
    add(state, world.health);
    add(state, world.ammo);
    add(state, world.scroll.x);
    add(state, world.scroll.y);
    add(state, world.getScene());
}

} // namespace

std::uint64_t stateDigest() {
    XXH3_state_t state;
    XXH3_INITSTATE(&state);
    XXH3_64bits_reset_withSeed(&state, digestSeed);
    for (int slot = worldSlot; slot <= newestReleasedSlot(); ++slot) {
        if (const GamePiece* piece = pieces[slot]) {
            add(state, slot);
            addPiece(state, *piece);
        }
    }
    if (auto* world = dynamic_cast<World*>(pieces[worldSlot])) {
        addWorld(state, *world);
    }
    add(state, completedCount);
    add(state, spawnCounter);
    return XXH3_64bits_digest(&state);
}

} // namespace replay
