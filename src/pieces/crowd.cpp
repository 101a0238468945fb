// The crowding pass by stretches of the street: only the enemies near enough to push, in slot
// order, with the plain pass's arithmetic.
#include "pieces/crowd.h"

#include "pieces/game_piece.h"

#include <bit>
#include <cmath>

namespace {

// The stretches are laid out evenly around 0; coordinates beyond them count as lying in the
// outermost ones.
constexpr double firstStretchAt = -Crowd::stretchWidth * Crowd::stretchCount / 2;
// The enemy's own coordinate may move this far from where its near slots were picked; beyond
// that they are picked anew around where it stands.
constexpr double allowedDrift = 8.0;
// Extra width on both sides of the picked window, far above any rounding in the coordinates.
constexpr double slack = 1.0;

Crowd crowd;

} // namespace

Crowd& frameCrowd() {
    return crowd;
}

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
    newest = newestReleasedSlot();
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        refresh(slot);
    }
    updating = 0;
    isOpen = true;
}

void Crowd::refresh(int slot) {
    if (slot < firstEnemySlot || slot > newest) {
        return;
    }
    const GamePiece* piece = pieces[slot];
    const bool inPlay = piece != nullptr && !piece->dead;
    const Vec2 at = inPlay ? piece->position : Vec2(0.0, 0.0);
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

Vec2 Crowd::separate(int slot, Vec2 own, double distance, double divisor) const {
    return Vec2(xAxis.pass(slot, newest, own.x, distance, divisor),
                yAxis.pass(slot, newest, own.y, distance, divisor));
}

void Crowd::Axis::place(int slot, bool inPlay, double coordinate) {
    at[slot] = coordinate;
    // A coordinate that is not finite neither pushes nor is pushed: it is left out.
    const int filedUnder = inPlay && std::isfinite(coordinate) ? stretchOf(coordinate) : notPlaced;
    const int before = stretch[slot] - 1; // stored one up, so that 0 means not placed
    if (before == filedUnder) {
        return;
    }
    const std::uint64_t bit = std::uint64_t{1} << (slot % wordBits);
    if (before != notPlaced) {
        slots[before][slot / wordBits] &= ~bit;
    }
    if (filedUnder != notPlaced) {
        slots[filedUnder][slot / wordBits] |= bit;
    }
    stretch[slot] = filedUnder + 1;
}

// Why visiting only the picked slots changes nothing: a slot left out lies more than
// distance + allowedDrift + slack from `centre`, and `own` stays within allowedDrift of `centre`
// until the slots are picked anew, so the slot is more than `distance` away whenever it comes
// up, and the plain pass would not push on it either.
template <class Push>
double Crowd::Axis::walk(int self, int last, double own, double distance, Push push) const {
    if (!std::isfinite(own)) {
        return own; // every difference is then infinite or not a number: nothing pushes
    }
    const double reach = distance + allowedDrift + slack;
    int next = firstEnemySlot;
    while (next <= last) {
        const double centre = own;
        const int low = stretchOf(centre - reach);
        const int high = stretchOf(centre + reach);
        bool movedAway = false;
        for (int word = next / wordBits; word <= last / wordBits && !movedAway; ++word) {
            std::uint64_t near = 0;
            for (int s = low; s <= high; ++s) {
                near |= slots[s][word];
            }
            if (word == next / wordBits) {
                near &= ~std::uint64_t{0} << (next % wordBits);
            }
            if (word == last / wordBits && last % wordBits != wordBits - 1) {
                near &= (std::uint64_t{1} << (last % wordBits + 1)) - 1;
            }
            if (word == self / wordBits) {
                near &= ~(std::uint64_t{1} << (self % wordBits));
            }
            while (near != 0) {
                const int slot = word * wordBits + std::countr_zero(near);
                near &= near - 1;
                // Chosen rather than branched on: about half the slots visited push.
                const double difference = own - at[slot];
                const double pushed = own + push(difference);
                own = std::fabs(difference) < distance ? pushed : own;
                if (std::fabs(own - centre) > allowedDrift) {
                    next = slot + 1;
                    movedAway = true;
                    break;
                }
            }
        }
        if (!movedAway) {
            break;
        }
    }
    return own;
}

double Crowd::Axis::pass(int self, int last, double own, double distance, double divisor) const {
    // Dividing by a power of two is exactly multiplying by its inverse, and much quicker.
    int exponent = 0;
    if (std::frexp(divisor, &exponent) == 0.5) {
        const double inverse = std::ldexp(1.0, 1 - exponent);
        return walk(self, last, own, distance, [inverse](double d) { return d * inverse; });
    }
    return walk(self, last, own, distance, [divisor](double d) { return d / divisor; });
}
