// The crowding floor: the frame loop's crowding passes captured through a wrap, replayed alone.
#include "crowding_floor.h"

#include "bench_clock.h"

#include "pieces/game_piece.h"
#include "pieces/vec2.h"
#include "state/globals.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

// The game's crowding pass (crowding::pushApart), reached through the linker's --wrap.
extern "C" Vec2 __real__ZN8crowding9pushApartEPK9GamePiece4Vec2dd(const GamePiece* self, Vec2 own,
                                                                  double distance, double divisor);

namespace {

// Room made at the first capture, so that later captures do not allocate.
constexpr size_t chainRoom = 8'000'000;

// One pass as written down: where it started, where the pushes from below left it (where its
// chain starts), and where its pushes lie in the written-down coordinates of each axis: those
// from below from `begin`, those of the chain from `chain`, up to `end`.
struct PassPushes {
    Vec2 from;
    Vec2 chainFrom;
    size_t xBegin, xChain, xEnd;
    size_t yBegin, yChain, yEnd;
};

bool capturing = false;
bench::CrowdingChain chain;
double ruleDistance = 0.0;
double ruleDivisor = 1.0;
std::vector<PassPushes> passes;
std::vector<double> xPushers;
std::vector<double> yPushers;

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

int slotOf(const GamePiece* self) {
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        if (pieces[slot] == self) {
            return slot;
        }
    }
    return 0;
}

// The plain pass of `self` from `own`, the pushes from above it written down.
void note(const GamePiece* self, Vec2 own, double reach, double divisor, Vec2 result) {
    ruleDistance = reach;
    ruleDivisor = divisor;
    const int selfSlot = slotOf(self);
    Vec2 at = own;
    PassPushes pass{own, own, xPushers.size(), 0, 0, yPushers.size(), 0, 0};
    bool chainTaken = false;
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        const GamePiece* other = pieces[slot];
        if (other == self || other == nullptr || other->dead) {
            continue;
        }
        const bool fromAbove = slot > selfSlot;
        if (fromAbove && !chainTaken) {
            pass.chainFrom = at;
            pass.xChain = xPushers.size();
            pass.yChain = yPushers.size();
            chainTaken = true;
        }
        ++chain.pairs;
        // One axis as the plain pass takes it, each push written down.
        const auto pushOn = [&](double& coordinate, double theirs, std::vector<double>& pushers) {
            const double difference = coordinate - theirs;
            if (std::fabs(difference) < reach) {
                coordinate += difference / divisor;
                ++chain.pushes;
                chain.chainPushes += fromAbove ? 1 : 0;
                pushers.push_back(theirs);
            }
        };
        pushOn(at.x, other->position.x, xPushers);
        pushOn(at.y, other->position.y, yPushers);
    }
    pass.xEnd = xPushers.size();
    pass.yEnd = yPushers.size();
    if (!chainTaken) {
        pass.chainFrom = at;
        pass.xChain = pass.xEnd;
        pass.yChain = pass.yEnd;
    }
    passes.push_back(pass);
    ++chain.passes;
    chain.mismatches += sameBits(at.x, result.x) && sameBits(at.y, result.y) ? 0 : 1;
}

// One push of the rule: the divisor's inverse when multiplying by it is exact (a power of two).
template <bool byInverse>
inline double push(double own, double other, double reach, double divisorOrInverse) {
    const double difference = own - other;
    const double pushed =
        own + (byInverse ? difference * divisorOrInverse : difference / divisorOrInverse);
    return std::fabs(difference) < reach ? pushed : own;
}

// The pushes of axis coordinates [begin, end) on `own`, from `x` on, side by side with `y`'s.
template <bool byInverse>
Vec2 pushBoth(Vec2 own, size_t x, size_t xEnd, size_t y, size_t yEnd, double divisorOrInverse) {
    const double reach = ruleDistance;
    while (x < xEnd && y < yEnd) {
        own.x = push<byInverse>(own.x, xPushers[x++], reach, divisorOrInverse);
        own.y = push<byInverse>(own.y, yPushers[y++], reach, divisorOrInverse);
    }
    while (x < xEnd) {
        own.x = push<byInverse>(own.x, xPushers[x++], reach, divisorOrInverse);
    }
    while (y < yEnd) {
        own.y = push<byInverse>(own.y, yPushers[y++], reach, divisorOrInverse);
    }
    return own;
}

// The passes one after another, as the frame loop takes them; within a pass the two axes are
// independent and go side by side. With `wholePasses` every push of every pass, otherwise the
// chains alone.
template <bool byInverse> double replay(double divisorOrInverse, bool wholePasses) {
    double carried = 0.0;
    for (const PassPushes& pass : passes) {
        // A pass starts only after the one before it has ended (carried - carried is 0).
        Vec2 own = wholePasses ? pass.from : pass.chainFrom;
        own.x += carried - carried;
        own = wholePasses ? pushBoth<byInverse>(own, pass.xBegin, pass.xEnd, pass.yBegin, pass.yEnd,
                                                divisorOrInverse)
                          : pushBoth<byInverse>(own, pass.xChain, pass.xEnd, pass.yChain, pass.yEnd,
                                                divisorOrInverse);
        carried = own.x + own.y;
    }
    return carried;
}

double replayMs(bool wholePasses) {
    int exponent = 0;
    const bool powerOfTwo = std::frexp(ruleDivisor, &exponent) == 0.5;
    const double start = bench::nowMs();
    volatile double sink = powerOfTwo ? replay<true>(1.0 / ruleDivisor, wholePasses)
                                      : replay<false>(ruleDivisor, wholePasses);
    (void)sink;
    return bench::nowMs() - start;
}

} // namespace

extern "C" Vec2 __wrap__ZN8crowding9pushApartEPK9GamePiece4Vec2dd(const GamePiece* self, Vec2 own,
                                                                  double distance, double divisor) {
    const Vec2 result =
        __real__ZN8crowding9pushApartEPK9GamePiece4Vec2dd(self, own, distance, divisor);
    if (capturing) {
        note(self, own, distance, divisor, result);
    }
    return result;
}

namespace bench {

void capture(bool on) {
    if (on) {
        chain = CrowdingChain{};
        passes.clear();
        xPushers.clear();
        yPushers.clear();
        passes.reserve(pieceCount + 1);
        xPushers.reserve(chainRoom);
        yPushers.reserve(chainRoom);
    }
    capturing = on;
}

const CrowdingChain& capturedChain() {
    return chain;
}

double crowdingFloorMs() {
    return replayMs(false);
}

double crowdingWorkMs() {
    return replayMs(true);
}

} // namespace bench
