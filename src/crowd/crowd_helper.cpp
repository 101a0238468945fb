// The Crowd's helper thread: works the first part of enemies' crowding passes out on a second
// core, ahead of the frame loop, and between them does the frame's other shared work.
#include "crowd/crowd.h"

#include "pieces/game_piece.h"
#include "platform/bit_words.h"
#include "platform/cores.h"
#include "platform/spin_wait.h"

#include <atomic>
#include <cstdint>
#include <semaphore>
#include <thread>

namespace {

// Below this many enemies in play the frame loop works the passes out alone: handing over would
// cost more than it saves.
constexpr int smallestHelpedCrowd = 256;
// Keeps what the two threads write on cache lines of their own.
constexpr size_t cacheLine = 64;

bool hasSecondCore() {
    static const bool second = platform::usableCores() >= 2;
    return second;
}

bool sameBits(Vec2 a, Vec2 b) {
    return platform::bit_cast<std::uint64_t>(a.x) == platform::bit_cast<std::uint64_t>(b.x) &&
           platform::bit_cast<std::uint64_t>(a.y) == platform::bit_cast<std::uint64_t>(b.y);
}

bool noSideWork() {
    return false;
}

} // namespace

// What the frame loop and the helper share. An enemy's head (its pass over the slots below it,
// from where the frame found it) is worked out by whichever thread takes it first; heads are
// taken newest first, as the frame loop comes to them.
struct Crowd::Helper {
    // An enemy's pass as far as the slots below it: where it started and where it got to.
    struct Head {
        Vec2 from;
        Vec2 to;
    };

    std::binary_semaphore frameStarts{0};
    // The highest slot whose head nobody has taken yet; either thread lowers it.
    alignas(cacheLine) std::atomic<int> nextHead{0};
    // The slot whose head the helper is taking or working out, 0 when none. Written by the
    // helper before it takes a head, so that the frame loop, once it has lowered `nextHead`
    // below a slot, can tell whether a head that reads the slot may still be under way.
    alignas(cacheLine) std::atomic<int> helperHead{0};
    std::atomic<bool> frameDone{false};
    alignas(cacheLine) std::atomic<bool> frameEnds{false}; // the frame loop's call to stop

    // Set by the frame loop before each frame starts.
    unsigned frameNumber = 0; // a head is done this frame when its stamp holds this number
    bool (*sideWork)() = noSideWork;
    bool (*idleWork)() = noSideWork;
    Rule rule; // the rule of this frame's passes
    bool inPlayAtOpen[pieceCount + 1] = {};
    // The large piles of each axis as the frame found them: the frame loop changes the live
    // ones as enemies move, while heads need them as they were.
    Piles::Pile pileCopies[2][Piles::pileLimit];
    const Piles::Pile* pileList[2][Piles::pileLimit] = {};
    int pileCount[2] = {};

    // Written by whichever thread works the head out.
    Head heads[pieceCount + 1];
    std::atomic<unsigned> headStamps[pieceCount + 1] = {};

    // The piles as the frame found them: heads read only slots the frame loop has not taken in
    // anew, which stand in the same piles as then.
    PileLists piles(int axis) const {
        return {{pileList[axis], static_cast<size_t>(pileCount[axis])}, {}};
    }
};

void Crowd::prepareHelper() {
    if (helper == nullptr && hasSecondCore()) {
        // Made once and kept for the rest of the run; the thread waits between frames.
        helper = new Helper;
        std::thread([this] { helperLoop(); }).detach();
    }
}

void Crowd::shareHelperWith(bool (*work)(), bool (*whenIdle)()) {
    sideWork = work;
    idleWork = whenIdle;
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
        for (const Piles::Pile* pile : axes[axis]->judgedWholePiles()) {
            shared.pileCopies[axis][count] = *pile;
            shared.pileList[axis][count] = &shared.pileCopies[axis][count];
            ++count;
        }
        shared.pileCount[axis] = count;
    }
    shared.rule = rule;
    shared.sideWork = sideWork != nullptr ? sideWork : noSideWork;
    shared.idleWork = idleWork != nullptr ? idleWork : noSideWork;
    if (++shared.frameNumber == 0) {
        shared.frameNumber = 1; // stamps start out 0, which must never mean done
    }
    shared.nextHead.store(newest, std::memory_order_relaxed);
    shared.frameEnds.store(false, std::memory_order_relaxed);
    shared.frameDone.store(false, std::memory_order_relaxed);
    shared.frameStarts.release(); // everything above is the helper's to read from here
    return true;
}

// Makes sure the head of `slot` is worked out: here if nobody has taken it yet (the heads above
// it that nobody took are no longer needed), otherwise by waiting for the helper.
void Crowd::finishHead(int slot) {
    Helper& shared = *helper;
    int next = shared.nextHead.load();
    while (next >= slot) {
        if (shared.nextHead.compare_exchange_weak(next, slot - 1)) {
            workOutHead(slot);
            return;
        }
    }
    platform::spinUntil(
        [&] {
            return shared.headStamps[slot].load(std::memory_order_acquire) == shared.frameNumber;
        },
        [&] { return shared.sideWork() || takeHead(false); });
}

// Before the frame loop takes `slot` in anew: no head may read it from here on. The heads that
// read it are its own and those above it.
void Crowd::keepHeadsOff(int slot) {
    Helper& shared = *helper;
    int next = shared.nextHead.load();
    while (next >= slot && !shared.nextHead.compare_exchange_weak(next, slot - 1)) {
    }
    platform::spinUntil([&] { return shared.helperHead.load() < slot; }, shared.sideWork);
}

std::optional<Vec2> Crowd::helpedPass(int slot, Vec2 own, double distance, double divisor) {
    const Helper& shared = *helper;
    const Rule& passRule = shared.rule;
    if (!sameBits(Vec2(distance, divisor), Vec2(passRule.distance, passRule.divisor))) {
        return std::nullopt;
    }
    finishHead(slot);
    const Helper::Head& head = shared.heads[slot];
    if (!shared.inPlayAtOpen[slot] || !sameBits(head.from, own)) {
        return std::nullopt;
    }
    return Vec2(xAxis.pass(slot, slot + 1, newest, head.to.x, passRule, xAxis.pileLists()),
                yAxis.pass(slot, slot + 1, newest, head.to.y, passRule, yAxis.pileLists()));
}

void Crowd::takeBack() {
    Helper& shared = *helper;
    shared.frameEnds.store(true, std::memory_order_release);
    platform::spinUntil([&] { return shared.frameDone.load(std::memory_order_acquire); });
}

void Crowd::helperLoop() {
    Helper& shared = *helper;
    for (;;) {
        shared.frameStarts.acquire();
        // The side work comes first: only this thread or a waiting frame loop can do it, while
        // the frame loop works out any head nobody has taken when it needs it. The idle work
        // comes once no head is left.
        platform::spinUntil(
            [&] { return shared.frameEnds.load(std::memory_order_acquire); },
            [&] { return shared.sideWork() || takeHead(true) || shared.idleWork(); });
        shared.frameDone.store(true, std::memory_order_release);
    }
}

// Takes the next head nobody has taken and works it out; false when none is left.
bool Crowd::takeHead(bool byHelper) {
    Helper& shared = *helper;
    int slot = shared.nextHead.load();
    while (slot >= firstEnemySlot) {
        if (byHelper) {
            shared.helperHead.store(slot);
        }
        if (shared.nextHead.compare_exchange_weak(slot, slot - 1)) {
            workOutHead(slot);
            if (byHelper) {
                shared.helperHead.store(0, std::memory_order_release);
            }
            return true;
        }
    }
    if (byHelper) {
        shared.helperHead.store(0, std::memory_order_release);
    }
    return false;
}

// A head reads only its enemy's slot and the slots below, which the frame loop does not take in
// anew until no head can read them any more (keepHeadsOff).
void Crowd::workOutHead(int slot) {
    Helper& shared = *helper;
    if (shared.inPlayAtOpen[slot]) {
        const Vec2 from(xAxis.at[slot], yAxis.at[slot]);
        shared.heads[slot].from = from;
        shared.heads[slot].to =
            Vec2(xAxis.pass(slot, firstEnemySlot, slot - 1, from.x, shared.rule, shared.piles(0)),
                 yAxis.pass(slot, firstEnemySlot, slot - 1, from.y, shared.rule, shared.piles(1)));
    }
    shared.headStamps[slot].store(shared.frameNumber, std::memory_order_release);
}
