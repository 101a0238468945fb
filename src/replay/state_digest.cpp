// The state digest over the piece table and the shell's counters (xxHash, 64-bit).
#include "replay/state_digest.h"

#include "pieces/game_piece.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

#include <cstring>
#include <functional>

namespace replay {
namespace {

// An arbitrary fixed seed, so the digest of an empty table is not zero.
constexpr XXH64_hash_t digestSeed = 0x47686f756c72756eULL;
// Stands for a picture that is not in the catalogue (an unbound frame).
constexpr int noCatalogueEntry = -1;

// The pictures and sounds of every frame so far, folded one frame after the other.
std::uint64_t history = digestSeed;
// The hero's effect requests since the last frame was folded.
std::uint64_t effectRequests = 0;

template <typename Value> void add(XXH3_state_t& state, const Value& value) {
    XXH3_64bits_update(&state, &value, sizeof value);
}

void startDigest(XXH3_state_t& state, std::uint64_t seed) {
    XXH3_INITSTATE(&state);
    XXH3_64bits_reset_withSeed(&state, seed);
}

// Pieces hold catalogue surfaces; the entry's index is what stays the same from run to run.
int catalogueEntryOf(const SDL_Surface* picture) {
    if (picture == nullptr) {
        return noCatalogueEntry;
    }
    for (int index = 0; index < catalogueSize; ++index) {
        if (spriteAt(index) == picture) {
            return index;
        }
    }
    return noCatalogueEntry;
}

// The picture the piece drew this frame; drawing brings a frame past the end back to 0.
int shownEntry(const GamePiece& piece) {
    if (piece.animation < 0 || piece.animation >= static_cast<int>(piece.animations.size())) {
        return noCatalogueEntry;
    }
    const std::vector<SDL_Surface*>& frames = piece.animations[piece.animation].frames;
    const int frame = piece.frame < static_cast<int>(frames.size()) ? piece.frame : 0;
    return catalogueEntryOf(frames[frame]);
}

void addAnimationTable(XXH3_state_t& state, const GamePiece& piece) {
    add(state, piece.animationCount);
    for (const Animation& animation : piece.animations) {
        // Eight bytes on every machine: a size_t is four in the browser's WebAssembly.
        add(state, static_cast<std::uint64_t>(animation.frames.size()));
        for (const SDL_Surface* picture : animation.frames) {
            add(state, catalogueEntryOf(picture));
        }
    }
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
    addAnimationTable(state, piece);
}

void addWorld(XXH3_state_t& state, World& world) {
    add(state, world.health);
    add(state, world.ammo);
    add(state, world.scroll.x);
    add(state, world.scroll.y);
    add(state, world.getScene());
}

void countEffectRequest(const char* category, const char* name) {
    XXH3_state_t state;
    startDigest(state, effectRequests);
    XXH3_64bits_update(&state, category, std::strlen(category));
    XXH3_64bits_update(&state, name, std::strlen(name));
    effectRequests = XXH3_64bits_digest(&state);
}

// Counts each request, then passes it on to where the hero's sounds went before.
struct EffectCounter {
    std::function<void(const char*, const char*, int)> play;
    void operator()(const char* category, const char* name, int rearm) const {
        countEffectRequest(category, name);
        play(category, name, rearm);
    }
};

} // namespace

std::uint64_t stateDigest() {
    XXH3_state_t state;
    startDigest(state, digestSeed);
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
    add(state, history);
    return XXH3_64bits_digest(&state);
}

void noteFrameShown() {
    XXH3_state_t state;
    startDigest(state, history);
    for (int slot = worldSlot; slot <= newestReleasedSlot(); ++slot) {
        const GamePiece* piece = pieces[slot];
        if (piece != nullptr && !piece->dead) {
            add(state, shownEntry(*piece));
        }
    }
    add(state, effectRequests);
    effectRequests = 0;
    history = XXH3_64bits_digest(&state);
}

void followEffectRequests() {
    auto& playEffect = heroSounds().playEffect;
    if (playEffect.target<EffectCounter>() == nullptr) {
        playEffect = EffectCounter{playEffect};
    }
}

void forgetHistory() {
    history = digestSeed;
    effectRequests = 0;
}

} // namespace replay
