// The crowding pass by stretches of the street: only the enemies near enough to push, in slot
// order, with the plain pass's arithmetic or arithmetic shown below to give the same bits.
#include "crowd/crowd.h"

#include "pieces/game_piece.h"
#include "platform/bit_words.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// The stretches are laid out evenly around 0; coordinates beyond them count as lying in the
// outermost ones.
constexpr double firstStretchAt = -Crowd::stretchWidth * Crowd::stretchCount / 2;
// The enemy's own coordinate may move this far from where its near slots were picked; beyond
// that they are picked anew around where it stands. At the game's crowding distance this is the
// most that keeps what a pick must cover, 2 × (distance + drift + slack) = 80 px or five
// stretches, inside one window wherever it falls; a wider drift would mean fewer picks but two
// windows to read at each.
constexpr double allowedDrift = 9.0;
// Extra width on both sides of the picked window, far above any rounding in the coordinates.
constexpr double slack = 1.0;
// Pushes are fused for divisors from 1 up to this power of two (beyond it a share of a push
// could lose bits to underflow in far-fetched cases).
constexpr int largestFusedDivisorExponent = 31;

constexpr double infinity = std::numeric_limits<double>::infinity();
// How many slots ahead `open` asks for a piece's place: the pieces lie all over memory, and
// reading each only when its turn comes leaves the frame loop waiting on memory every time.
constexpr int placesAhead = 8;
// How many frames an axis's piles rest once they have filled up without a large pile.
constexpr int pilesRestFor = 64;

// The rounding error of `sum` = a + b: a + b == sum + error exactly (Knuth's two-sum).
double sumError(double a, double b, double sum) {
    const double bPart = sum - a;
    const double aPart = sum - bPart;
    return (a - aPart) + (b - bPart);
}

// The smallest double at or above the exact a + b.
double sumRoundedUp(double a, double b) {
    const double sum = a + b;
    return sumError(a, b, sum) > 0.0 ? std::nextafter(sum, infinity) : sum;
}

// The largest double at or below the exact a + b.
double sumRoundedDown(double a, double b) {
    const double sum = a + b;
    return sumError(a, b, sum) < 0.0 ? std::nextafter(sum, -infinity) : sum;
}

bool machineFuses() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool fuses = __builtin_cpu_supports("fma");
    return fuses;
#else
    return false;
#endif
}

std::uint64_t loaded(const std::uint64_t& word) {
    return platform::AtomicWord(const_cast<std::uint64_t&>(word)).load(std::memory_order_relaxed);
}

// Starts bringing `piece`'s place and whether it is in play into the cache.
void askForPlace(const GamePiece* piece) {
    if (piece != nullptr) {
        __builtin_prefetch(&piece->position);
        __builtin_prefetch(&piece->dead);
    }
}

bool sameRule(double distance, double divisor, double otherDistance, double otherDivisor) {
    return platform::bit_cast<std::uint64_t>(distance) ==
               platform::bit_cast<std::uint64_t>(otherDistance) &&
           platform::bit_cast<std::uint64_t>(divisor) ==
               platform::bit_cast<std::uint64_t>(otherDivisor);
}

} // namespace

int Crowd::stretchOf(double coordinate) {
    // Both steps only ever keep or raise the result as the coordinate grows, which is all the
    // pass needs of them; the clamp files far-off coordinates under the outermost stretches.
    const double index = std::floor((coordinate - firstStretchAt) / stretchWidth);
    if (!(index > 0.0)) {
        return 0;
    }
    if (index >= stretchCount - 1) {
        return stretchCount - 1;
    }
    return static_cast<int>(index);
}

void Crowd::open() {
    close(); // in case the last frame left it open: the helper's work ends first
    newest = newestReleasedSlot();
    xAxis.forgetPilesIfCrowded();
    yAxis.forgetPilesIfCrowded();
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        if (slot + placesAhead <= newest) {
            askForPlace(pieces[slot + placesAhead]);
        }
        refresh(slot);
    }
    xAxis.refiling = false;
    yAxis.refiling = false;
    xAxis.judgeWholeThisFrame();
    yAxis.judgeWholeThisFrame();
    if (!sameRule(rule.distance, rule.divisor, xAxis.boundsRule.distance,
                  xAxis.boundsRule.divisor)) {
        adopt(rule);
    }
    updating = 0;
    isOpen = true;
    helped = handOver();
    helpedFrameCount += helped ? 1 : 0;
}

void Crowd::close() {
    if (helped) {
        takeBack();
        helped = false;
    }
    isOpen = false;
}

void Crowd::refresh(int slot) {
    if (slot < firstEnemySlot || slot > newest) {
        return;
    }
    const GamePiece* piece = pieces[slot];
    const bool inPlay = piece != nullptr && !piece->dead;
    const Vec2 at = inPlay ? piece->position : Vec2(0.0, 0.0);
    if (helped) {
        keepHeadsOff(slot);
    }
    xAxis.place(slot, inPlay, at.x);
    yAxis.place(slot, inPlay, at.y);
}

int Crowd::slotOf(const GamePiece* piece) const {
    if (!isOpen || updating < firstEnemySlot || updating > newest ||
        newest != newestReleasedSlot()) {
        return 0;
    }
    return pieces[updating] == piece ? updating : 0;
}

std::optional<Vec2> Crowd::separate(int slot, Vec2 own, double distance, double divisor) {
    if (!rule.known || !sameRule(distance, divisor, rule.distance, rule.divisor)) {
        rule = ruleFor(distance, divisor); // the slots' bounds follow at the next `open`
    }
    if (helped) {
        const std::optional<Vec2> pushed = helpedPass(slot, own, distance, divisor);
        refusedPassCount += pushed ? 0 : 1;
        return pushed;
    }
    return Vec2(xAxis.pass(slot, firstEnemySlot, newest, own.x, rule, xAxis.pileLists()),
                yAxis.pass(slot, firstEnemySlot, newest, own.y, rule, yAxis.pileLists()));
}

Crowd::Rule Crowd::ruleFor(double distance, double divisor) {
    Rule made;
    made.known = true;
    made.distance = distance;
    made.divisor = divisor;
    int exponent = 0;
    // Dividing by a power of two is exactly multiplying by its inverse, and much quicker.
    if (std::frexp(divisor, &exponent) == 0.5) {
        made.inverse = std::ldexp(1.0, 1 - exponent);
        made.fusable = machineFuses() && exponent >= 1 && exponent <= largestFusedDivisorExponent &&
                       distance > 0.0 && std::isfinite(distance);
    }
    return made;
}

// Works the slots' bounds out anew for the rule.
void Crowd::adopt(const Rule& adopted) {
    for (Axis* axis : {&xAxis, &yAxis}) {
        axis->boundsRule = adopted;
        for (int slot = firstEnemySlot; slot <= newest; ++slot) {
            axis->bound(slot);
        }
    }
}

// The piles remember coordinates from frame to frame, so that a slot that has not moved costs
// nothing; once they have seen many coordinates they start afresh. If by then no pile has grown
// large, filing costs more than the piles save (a walking crowd never stands on one coordinate
// along the street, and brings thousands of new ones every frame): the piles rest for a while,
// holding nothing, and then start afresh.
void Crowd::Axis::forgetPilesIfCrowded() {
    if (restingFrames > 0) {
        refiling = --restingFrames == 0;
        return;
    }
    if (piles.crowded()) {
        restingFrames = piles.full() && piles.largeOnes().empty() ? pilesRestFor : 0;
        piles.clear();
        refiling = true;
    }
}

void Crowd::Axis::place(int slot, bool inPlay, double coordinate) {
    // A coordinate that is not finite neither pushes nor is pushed: it is left out.
    const int filedUnder = inPlay && std::isfinite(coordinate) ? stretchOf(coordinate) : notPlaced;
    const int before = stretch[slot] - 1; // stored one up, so that 0 means not placed
    const bool moved = platform::bit_cast<std::uint64_t>(at[slot]) !=
                       platform::bit_cast<std::uint64_t>(coordinate);
    bool nowLoose = isLoose[slot];
    if (moved || before != filedUnder || refiling) {
        at[slot] = coordinate;
        bound(slot);
        if (restingFrames == 0) {
            piles.file(slot, filedUnder != notPlaced, coordinate);
        }
        nowLoose = filedUnder != notPlaced && restingFrames == 0 && standsLoose(slot);
        if (piles.largeChanges() != othersListedAt) {
            listOtherPiles();
        }
    }
    const int looseBefore = isLoose[slot] ? before : notPlaced;
    const int looseAfter = nowLoose ? filedUnder : notPlaced;
    if (looseBefore != looseAfter) {
        loose.move(slot, looseBefore, looseAfter);
        isLoose[slot] = nowLoose;
    }
    if (before != filedUnder) {
        all.move(slot, before, filedUnder);
        stretch[slot] = filedUnder + 1;
    }
}

// Whether `slot`, placed, stands outside every pile judged whole this frame.
bool Crowd::Axis::standsLoose(int slot) const {
    const int pile = piles.pileOf(slot);
    return pile < 0 || !judgedWhole[pile];
}

// Called at `open`, once every slot is taken in and before the helper starts: the piles large
// now are judged whole until the next `open`, and their members leave the loose windows (and
// the members of piles no longer judged whole come back to them).
void Crowd::Axis::judgeWholeThisFrame() {
    bool large[Piles::pileLimit] = {};
    for (const int index : piles.largeOnes()) {
        large[index] = true;
    }
    for (int index = 0; index < Piles::pileLimit; ++index) {
        if (large[index] == judgedWhole[index]) {
            continue;
        }
        judgedWhole[index] = large[index];
        const Piles::Pile& pile = piles.pile(index);
        for (int word = 0; word < wordCount; ++word) {
            for (std::uint64_t members = pile.slots[word]; members != 0; members &= members - 1) {
                const int slot = word * wordBits + std::countr_zero(members);
                const int filedUnder = stretch[slot] - 1;
                const bool nowLoose = !large[index] && filedUnder != notPlaced;
                if (nowLoose != isLoose[slot]) {
                    loose.move(slot, isLoose[slot] ? filedUnder : notPlaced,
                               nowLoose ? filedUnder : notPlaced);
                    isLoose[slot] = nowLoose;
                }
            }
        }
    }
    wholeCount = 0;
    for (const int index : piles.largeOnes()) {
        wholePiles[wholeCount++] = &piles.pile(index);
    }
    listOtherPiles();
}

void Crowd::Axis::listOtherPiles() {
    otherCount = 0;
    for (const int index : piles.largeOnes()) {
        if (!judgedWhole[index]) {
            otherPiles[otherCount++] = &piles.pile(index);
        }
    }
    othersListedAt = piles.largeChanges();
}

void Crowd::Windows::move(int slot, int before, int after) {
    const auto holds = [](int window, int stretchAt) {
        return stretchAt != notPlaced && window <= stretchAt &&
               window > stretchAt - windowStretches;
    };
    for (int window = std::max(0, before - windowStretches + 1); window <= before; ++window) {
        if (!holds(window, after)) {
            leave(window, slot);
        }
    }
    for (int window = std::max(0, after - windowStretches + 1); window <= after; ++window) {
        if (!holds(window, before)) {
            enter(window, slot);
        }
    }
}

// Changed a bit at a time, since the helper may be reading the same words for other slots. A
// word's bit in `occupied` is set when a slot enters it and cleared only once it holds none. The
// slots the helper needs were taken in before the frame was handed over, and the frame loop
// leaves them alone until the helper is done with them, so their words' bits stay set.
void Crowd::Windows::enter(int window, int slot) {
    const int word = slot / wordBits;
    const std::uint64_t before =
        platform::AtomicWord(slots[window][word])
            .fetch_or(std::uint64_t{1} << (slot % wordBits), std::memory_order_relaxed);
    if (before == 0) {
        platform::AtomicWord(occupied[window][word / wordBits])
            .fetch_or(std::uint64_t{1} << (word % wordBits), std::memory_order_relaxed);
    }
}

void Crowd::Windows::leave(int window, int slot) {
    const int word = slot / wordBits;
    const std::uint64_t bit = std::uint64_t{1} << (slot % wordBits);
    const std::uint64_t before =
        platform::AtomicWord(slots[window][word]).fetch_and(~bit, std::memory_order_relaxed);
    if (before == bit) {
        platform::AtomicWord(occupied[window][word / wordBits])
            .fetch_and(~(std::uint64_t{1} << (word % wordBits)), std::memory_order_relaxed);
    }
}

// The exact interval of coordinates this slot pushes is (at - distance, at + distance); the
// bounds are the doubles just outside it, so that comparing with them is exact too.
void Crowd::Axis::bound(int slot) {
    if (!boundsRule.fusable) {
        return;
    }
    Bounds& made = bounds[slot];
    made.below = sumRoundedDown(at[slot], -boundsRule.distance);
    made.above = sumRoundedUp(at[slot], boundsRule.distance);
    made.share = -at[slot] * boundsRule.inverse;
}

namespace {

// The large piles within reach of an enemy's window, each judged as a whole: while a pile does
// not push the enemy where it stands, its members are passed over.
class PilesInReach {
  public:
    PilesInReach(std::span<const Piles::Pile* const> judgedWhole,
                 std::span<const Piles::Pile* const> others, double centre, double reach,
                 double pushDistance, bool equalPushes)
        : distance(pushDistance), equalPushesNothing(equalPushes) {
        for (const Piles::Pile* pile : judgedWhole) {
            if (std::fabs(pile->at - centre) <= reach && !take(pile, centre, true)) {
                wholeOverflow = true; // the rest are visited member by member
                break;
            }
        }
        for (const Piles::Pile* pile : others) {
            if (std::fabs(pile->at - centre) <= reach && !take(pile, centre, false)) {
                break; // the rest are visited member by member
            }
        }
    }

    bool any() const { return count > 0; }

    // Whether the piles judged whole all frame that lie in reach are all passed over as things
    // stand: the pass then needs only the loose windows.
    bool looseWillDo() const { return wholePushing == 0 && !wholeOverflow; }

    // The slots of `word` passed over as things stand, of every pile or (`othersOnly`) of those
    // not judged whole all frame.
    std::uint64_t passedOver(int word, bool othersOnly) const {
        std::uint64_t passed = 0;
        for (int k = 0; k < count; ++k) {
            passed |=
                passingOver[k] && !(othersOnly && wholeAllFrame[k]) ? inReach[k]->slots[word] : 0;
        }
        return passed;
    }

    // Judges every pile again for an enemy now at `own`: whether any was judged otherwise.
    bool rejudged(double own) {
        bool changed = false;
        for (int k = 0; k < count; ++k) {
            const bool passOver = !pushes(own, inReach[k]->at);
            if (passOver != passingOver[k]) {
                changed = true;
                wholePushing += wholeAllFrame[k] ? (passOver ? -1 : 1) : 0;
                passingOver[k] = passOver;
            }
        }
        return changed;
    }

  private:
    static constexpr int limit = 8; // piles beyond these are visited member by member

    // Whether a pile at `pileAt` pushes an enemy at `own`, judged as the plain pass judges each
    // of its members: a difference of 0 pushes by 0, which leaves any coordinate but 0 as it is
    // (and piles never stand at 0).
    bool pushes(double own, double pileAt) const {
        const double difference = own - pileAt;
        if (difference == 0.0 && equalPushesNothing) {
            return false;
        }
        return std::fabs(difference) < distance;
    }

    // Adds `pile` to those in reach, unless there is no room left.
    bool take(const Piles::Pile* pile, double centre, bool wholeAll) {
        if (count == limit) {
            return false;
        }
        inReach[count] = pile;
        passingOver[count] = !pushes(centre, pile->at);
        wholeAllFrame[count] = wholeAll;
        wholePushing += wholeAll && !passingOver[count] ? 1 : 0;
        ++count;
        return true;
    }

    double distance;
    bool equalPushesNothing;
    const Piles::Pile* inReach[limit];
    bool passingOver[limit];
    bool wholeAllFrame[limit]; // its members are kept out of the loose windows
    int count = 0;
    int wholePushing = 0;
    bool wholeOverflow = false;
};

// The bits of word `word` standing for the positions `first` to `last` (of 64 per word).
std::uint64_t positionsBetween(int word, int first, int last) {
    constexpr int bits = 64;
    std::uint64_t kept = ~std::uint64_t{0};
    if (word == first / bits) {
        kept &= ~std::uint64_t{0} << (first % bits);
    }
    if (word == last / bits && last % bits != bits - 1) {
        kept &= (std::uint64_t{1} << (last % bits + 1)) - 1;
    }
    return kept;
}

// Word `column` of `rows` (a window's slots or occupied words) joined over the windows low to high.
template <int columns>
std::uint64_t inWindows(const std::uint64_t (&rows)[Crowd::stretchCount][columns], int column,
                        int low, int high, int windowStretches) {
    std::uint64_t found = 0;
    for (int window = low; window <= high; window += windowStretches) {
        found |= loaded(rows[window][column]);
    }
    return found;
}

} // namespace

// The slots of `word` filed under the stretches low to high (and maybe a few stretches beyond,
// which the pass visits to no effect), from `next` to `last`, but `self`.
std::uint64_t Crowd::Windows::candidates(int word, int low, int high, int next, int last,
                                         int self) const {
    std::uint64_t found =
        inWindows(slots, word, low, high, windowStretches) & positionsBetween(word, next, last);
    if (word == self / wordBits) {
        found &= ~(std::uint64_t{1} << (self % wordBits));
    }
    return found;
}

// The words of block `block` (of wordBits words each), from `firstWord` to `lastWord`, that hold
// a slot in one of the windows low to high.
std::uint64_t Crowd::Windows::occupiedWordsOf(int block, int low, int high, int firstWord,
                                              int lastWord) const {
    return inWindows(occupied, block, low, high, windowStretches) &
           positionsBetween(block, firstWord, lastWord);
}

// Visits in slot order the slots of `windows` filed under the stretches low to high, from `from`
// to `last`, but `self` and those `passedOver` gives for their word, until `visit` asks to stop:
// returns the slot it stopped at, or -1 once every slot is visited.
template <class PassedOver, class Visit>
[[gnu::always_inline]] inline int Crowd::Axis::scan(const Windows& windows, int self, int from,
                                                    int last, int low, int high,
                                                    PassedOver passedOver, Visit visit) const {
    const int firstWord = from / wordBits;
    const int lastWord = last / wordBits;
    for (int block = firstWord / wordBits; block <= lastWord / wordBits; ++block) {
        std::uint64_t words = windows.occupiedWordsOf(block, low, high, firstWord, lastWord);
        while (words != 0) {
            const int word = block * wordBits + std::countr_zero(words);
            words &= words - 1;
            std::uint64_t near =
                windows.candidates(word, low, high, from, last, self) & ~passedOver(word);
            while (near != 0) {
                const int slot = word * wordBits + std::countr_zero(near);
                near &= near - 1;
                if (visit(slot)) {
                    return slot;
                }
            }
        }
    }
    return -1;
}

// Why visiting only the picked slots changes nothing: a slot left out lies more than
// distance + allowedDrift + slack from `centre`, and `own` stays within allowedDrift of `centre`
// until the slots are picked anew, so the slot is more than `distance` away whenever it comes
// up, and the plain pass would not push on it either.
//
// The members of a pile judged whole within reach are passed over while the pile does not push
// the enemy where it stands: while none in reach does, the pass visits only the loose windows,
// which hold every slot but those piles' members. Whenever the enemy moves, the piles are judged
// again, and if any is judged otherwise the slots still to come are gathered anew.
// Always inlined, as is `scan`: the step's fused multiply-add is one instruction only inside
// `fusedPass`, which alone is built for machines with FMA (elsewhere it is a library call).
template <class Step>
[[gnu::always_inline]] inline double Crowd::Axis::walk(int self, int first, int last, double own,
                                                       double distance, bool equalPushesNothing,
                                                       PileLists pileLists, Step step) const {
    if (!std::isfinite(own)) {
        return own; // every difference is then infinite or not a number: nothing pushes
    }
    const double reach = distance + allowedDrift + slack;
    // An enemy that picks its window this far from 0 stays at least three distances from 0
    // until it picks again (docs/crowding.md).
    const double farFloor = 3.0 * distance + allowedDrift + slack;
    int next = first;
    while (next <= last) {
        const double centre = own;
        const bool farFromZero = std::fabs(centre) >= farFloor;
        const int low = stretchOf(centre - reach);
        const int high = stretchOf(centre + reach);
        PilesInReach inReach(pileLists.whole, pileLists.others, centre, reach, distance,
                             equalPushesNothing);
        bool movedAway = false;
        // Visits from `from` on until the enemy moves away from `centre` or, with piles in reach,
        // a pile is judged otherwise.
        const auto visitFrom = [&](int from, auto withPiles) {
            const auto visit = [&](int slot) {
                const double before = own;
                own = step(own, slot, farFromZero);
                movedAway = std::fabs(own - centre) > allowedDrift;
                return movedAway || (withPiles && own != before && inReach.rejudged(own));
            };
            if (!inReach.looseWillDo()) {
                return scan(
                    all, self, from, last, low, high,
                    [&](int word) { return inReach.passedOver(word, false); }, visit);
            }
            return scan(
                restingFrames > 0 ? all : loose, self, from, last, low, high,
                [&](int word) { return withPiles ? inReach.passedOver(word, true) : 0; }, visit);
        };
        int from = next;
        int stopped = -1;
        do {
            stopped = inReach.any() ? visitFrom(from, std::true_type{})
                                    : visitFrom(from, std::false_type{});
            from = stopped + 1;
        } while (stopped >= 0 && !movedAway);
        if (!movedAway) {
            break;
        }
        next = stopped + 1;
    }
    return own;
}

namespace {

#if defined(__x86_64__) || defined(__i386__)
using Choice = __m128d;

// `value` in the low lane of a vector, the other lane left as it happens to be. This takes no
// instruction, where `_mm_set_sd` clears the other lane with one: for the enemy's coordinate and
// its pushed value, two more instructions on the chain that every visit waits on
// (docs/crowding.md, "The fused push"). Only the low lane is ever read.
[[gnu::always_inline]] inline Choice inLowLane(double value) {
    Choice lanes;
    __asm__("" : "=x"(lanes) : "0"(value));
    return lanes;
}

// `pushed` where `pushes` is all ones, `own` where it is all zeros, without a branch that would be
// mispredicted every other time: one blend, where masking both and joining them took two steps on
// the chain. The instruction is written out because the stepping code is not built for the
// machines that have it; only machines that fuse run it, and every machine with FMA has it. The
// inputs go in as vectors: handed over as doubles, they made the compiler copy the coordinate
// once more, on the chain, before its comparisons.
[[gnu::always_inline]] inline double choose(Choice pushes, double pushed, double own) {
    Choice chosen;
    __asm__("vblendvpd %3, %2, %1, %0"
            : "=x"(chosen)
            : "x"(inLowLane(own)), "x"(inLowLane(pushed)), "x"(pushes));
    return _mm_cvtsd_f64(chosen);
}

[[gnu::always_inline]] inline Choice inside(double below, double own, double above) {
    return _mm_and_pd(_mm_cmplt_sd(_mm_set_sd(below), inLowLane(own)),
                      _mm_cmplt_sd(inLowLane(own), _mm_set_sd(above)));
}
#endif

} // namespace

double Crowd::Axis::pass(int self, int first, int last, double own, const Rule& passRule,
                         PileLists pileLists) const {
    if (passRule.fusable &&
        sameRule(passRule.distance, passRule.divisor, boundsRule.distance, boundsRule.divisor)) {
        return fusedPass(self, first, last, own, passRule, pileLists);
    }
    // A push wherever the difference is within the distance, chosen rather than branched on.
    const auto pushWith = [this, &passRule](auto push) {
        return [this, &passRule, push](double current, int slot, bool) {
            const double difference = current - at[slot];
            const double pushed = current + push(difference);
            return std::fabs(difference) < passRule.distance ? pushed : current;
        };
    };
    if (passRule.inverse != 0.0) {
        return walk(self, first, last, own, passRule.distance, true, pileLists,
                    pushWith([&passRule](double d) { return d * passRule.inverse; }));
    }
    // A difference of 0 over a divisor of 0 (or not a number) is not a number, not 0.
    const bool equalPushesNothing = passRule.divisor != 0.0 && !std::isnan(passRule.divisor);
    return walk(self, first, last, own, passRule.distance, equalPushesNothing, pileLists,
                pushWith([&passRule](double d) { return d / passRule.divisor; }));
}

// Far from 0 each push is one fused multiply-add with the same bits as the plain push; why, in
// docs/crowding.md ("The fused push").
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("fma"))) double Crowd::Axis::fusedPass(int self, int first, int last,
                                                             double own, const Rule& passRule,
                                                             PileLists pileLists) const {
    const double keep = 1.0 + passRule.inverse;
    return walk(self, first, last, own, passRule.distance, true, pileLists,
                [this, &passRule, keep](double current, int slot, bool farFromZero) {
                    if (!farFromZero) {
                        const double difference = current - at[slot];
                        const double pushed = current + difference * passRule.inverse;
                        return std::fabs(difference) < passRule.distance ? pushed : current;
                    }
                    const Bounds& limits = bounds[slot];
                    const double pushed = __builtin_fma(current, keep, limits.share);
                    return choose(inside(limits.below, current, limits.above), pushed, current);
                });
}
#else
double Crowd::Axis::fusedPass(int self, int first, int last, double own, const Rule& passRule,
                              PileLists pileLists) const {
    Rule plain = passRule;
    plain.fusable = false;
    return pass(self, first, last, own, plain, pileLists);
}
#endif
