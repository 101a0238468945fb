// The Crowd's helper thread: works the first part of every enemy's crowding pass out on a second
// core, ahead of the frame loop.
#include "pieces/crowd.h"

#include "pieces/game_piece.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <semaphore>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Below this many enemies in play the frame loop works the passes out alone: handing over would
// cost more than it saves.
constexpr int smallestHelpedCrowd = 256;
// A waiting thread spins this many times, then lets other threads have its core while it waits.
constexpr int spinsBeforeYielding = 4096;
// Keeps what the two threads write on cache lines of their own.
constexpr size_t cacheLine = 64;

bool hasSecondCore() {
    static const bool second = std::thread::hardware_concurrency() >= 2;
    return second;
}

template <class Ready> void waitUntil(Ready ready) {
    for (int spins = 0; !ready(); ++spins) {
        if (spins < spinsBeforeYielding) {
#if defined(__x86_64__) || defined(__i386__)
            _mm_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
}

bool sameBits(Vec2 a, Vec2 b) {
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y);
}

} // namespace

// What the frame loop and the helper share. Within a frame the helper writes only `heads`,
// `headsDown` and `frameDone`, and the frame loop only its own `headsSeen`.
struct Crowd::Helper {
    // An enemy's pass as far as the slots below it: where it started and where it got to.
    struct Head {
        Vec2 from;
        Vec2 to;
    };

    std::binary_semaphore frameStarts{0};
    alignas(cacheLine) std::atomic<int> headsDown{0}; // heads are worked out from this slot up
    std::atomic<bool> frameDone{false};
    alignas(cacheLine) int headsSeen = 0; // the frame loop's last reading of headsDown
    Rule rule;                            // the rule of this frame's passes
    bool inPlayAtOpen[pieceCount + 1] = {};
    Head heads[pieceCount + 1];
    // The large piles of each axis as the frame found them: the frame loop changes the live
    // ones as enemies move, while heads need them as they were.
    Piles::Pile pileCopies[2][Piles::pileLimit];
    const Piles::Pile* pileList[2][Piles::pileLimit] = {};
    int pileCount[2] = {};

    LargePiles piles(int axis) const {
        return {pileList[axis], static_cast<size_t>(pileCount[axis])};
    }
};

void Crowd::prepareHelper() {
    if (helper == nullptr && hasSecondCore()) {
        // Made once and kept for the rest of the run; the thread waits between frames.
        helper = new Helper;
        std::thread([this] { helperLoop(); }).detach();
    }
}

// Called at the end of `open`, while the Crowd is the frame loop's alone.
bool Crowd::handOver() {
    if (!rule.known || !hasSecondCore() || newest - firstEnemySlot + 1 < smallestHelpedCrowd) {
        return false;
    }
    prepareHelper();
    Helper& shared = *helper;
    int inPlay = 0;
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        const GamePiece* piece = pieces[slot];
        shared.inPlayAtOpen[slot] = piece != nullptr && !piece->dead;
        inPlay += shared.inPlayAtOpen[slot] ? 1 : 0;
    }
    if (inPlay < smallestHelpedCrowd) {
        return false;
    }
    const Axis* axes[2] = {&xAxis, &yAxis};
    for (int axis = 0; axis < 2; ++axis) {
        int count = 0;
        for (const Piles::Pile* pile : axes[axis]->piles.largePiles()) {
            shared.pileCopies[axis][count] = *pile;
            shared.pileList[axis][count] = &shared.pileCopies[axis][count];
            ++count;
        }
        shared.pileCount[axis] = count;
    }
    shared.rule = rule;
    shared.headsSeen = newest + 1;
    shared.headsDown.store(newest + 1, std::memory_order_relaxed);
    shared.frameDone.store(false, std::memory_order_relaxed);
    shared.frameStarts.release(); // everything above is the helper's to read from here
    return true;
}

// Waits until the heads of every slot from `slot` up are worked out.
void Crowd::waitForHeadsFrom(int slot) {
    Helper& shared = *helper;
    if (shared.headsSeen > slot) {
        waitUntil([&] {
            shared.headsSeen = shared.headsDown.load(std::memory_order_acquire);
            return shared.headsSeen <= slot;
        });
    }
}

std::optional<Vec2> Crowd::helpedPass(int slot, Vec2 own, double distance, double divisor) {
    Helper& shared = *helper;
    const Rule& passRule = shared.rule;
    if (!sameBits(Vec2(distance, divisor), Vec2(passRule.distance, passRule.divisor))) {
        return std::nullopt;
    }
    waitForHeadsFrom(slot);
    const Helper::Head& head = shared.heads[slot];
    if (!shared.inPlayAtOpen[slot] || !sameBits(head.from, own)) {
        return std::nullopt;
    }
    return Vec2(xAxis.pass(slot, slot + 1, newest, head.to.x, passRule, xAxis.piles.largePiles()),
                yAxis.pass(slot, slot + 1, newest, head.to.y, passRule, yAxis.piles.largePiles()));
}

void Crowd::takeBack() {
    waitUntil([&] { return helper->frameDone.load(std::memory_order_acquire); });
}

void Crowd::helperLoop() {
    for (;;) {
        helper->frameStarts.acquire();
        workOutHeads();
        helper->frameDone.store(true, std::memory_order_release);
    }
}

// Every enemy's head, newest first as the frame loop asks for them. A head reads only its enemy's
// slot and the slots below, which the frame loop does not take in anew until that head is done.
void Crowd::workOutHeads() {
    Helper& shared = *helper;
    for (int slot = newest; slot >= firstEnemySlot; --slot) {
        if (shared.inPlayAtOpen[slot]) {
            const Vec2 from(xAxis.at[slot], yAxis.at[slot]);
            shared.heads[slot].from = from;
            shared.heads[slot].to = Vec2(
                xAxis.pass(slot, firstEnemySlot, slot - 1, from.x, shared.rule, shared.piles(0)),
                yAxis.pass(slot, firstEnemySlot, slot - 1, from.y, shared.rule, shared.piles(1)));
        }
        shared.headsDown.store(slot, std::memory_order_release);
    }
}
