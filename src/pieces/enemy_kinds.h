// The enemy kinds as their list gives them, and the roster's rule that picks a slot's kind.
#pragma once

#include "pieces/vec2.h"
#include "sprites/sprite_catalogue.h"

#include <iterator>

class GamePiece;

// A new enemy of class `Kind`, out of play at `start`. Each kind's source defines its own.
template <class Kind> GamePiece* buildEnemy(Vec2 start);

#define ENEMY_KIND(kind, ...)                                                                      \
    class kind;                                                                                    \
    template <> GamePiece* buildEnemy<kind>(Vec2 start);
#include "pieces/enemy_kind_list.h"

// One line of the kinds list (pieces/enemy_kind_list.h says what each field means).
struct EnemyKind {
    const char* name;
    int place;
    double baseSpeed;
    double oddSlotStep;
    double strikeDamage;
    int firstPicture;
    int firstDeathPicture;
    int lastPicture;
    int frameWidth;
    int frameHeight;
    GamePiece* (*build)(Vec2 start);
};

namespace enemy_kind {

// Each kind's strike damage by name (attackerDamage, ...), for its strikes and the lines below it.
#define ENEMY_KIND(kind, place, baseSpeed, oddSlotStep, damage, ...)                               \
    constexpr double kind##Damage = damage;
#include "pieces/enemy_kind_list.h"

// Every kind, in the list's order.
inline constexpr EnemyKind all[] = {
#define ENEMY_KIND(kind, place, base, step, damage, first, death, last, width, height)             \
    {#kind,         place,        base,  step,   kind##Damage,     sprite::first,                  \
     sprite::death, sprite::last, width, height, &buildEnemy<kind>},
#include "pieces/enemy_kind_list.h"
};
constexpr int count = static_cast<int>(std::size(all));

constexpr bool placesRunDownTheList() {
    for (int line = 0; line < count; ++line) {
        if (all[line].place != line) {
            return false;
        }
    }
    return true;
}
static_assert(placesRunDownTheList(), "the kinds' places must be 0, 1, 2 ... in the list's order");

// The kind of roster slot `slot` (not negative): the one whose place is slot % count.
constexpr const EnemyKind& forSlot(int slot) {
    return all[slot % count];
}

} // namespace enemy_kind
