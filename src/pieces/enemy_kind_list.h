// The enemy kinds, one line each: class, roster place, speeds, strike damage and pictures.
//
// The one list of the kinds. The roster builds its enemies from it, the strikes take their damage
// from it, and the tests, the data checks and the benchmark's stand-in pictures walk it.
// ENEMY_KIND(kind, place, baseSpeed, oddSlotStep, damage, first, firstDeath, last, width, height):
// - kind: the class, a monster with an `explicit kind(Vec2 start)` and its buildEnemy<kind>;
// - place: the roster gives the kind every slot with slot % (number of kinds) == place; the
//   places run 0, 1, 2 ... down the list;
// - baseSpeed, oddSlotStep: pixels per second on an even slot, and what an odd slot adds;
// - damage: the fraction of full health one strike takes; a later line may use an earlier kind's
//   as `<kind>Damage` (`shooterDamage / 2`);
// - first, firstDeath, last: the kind's group in the picture list (sprites/sprite_list.h), named
//   there, with its death pictures (lying down) from firstDeath to last;
// - width, height: the size of every picture of the group, in pixels, as the generator draws it.
//
// Define ENEMY_KIND before including this file; it is undefined at the end. No include guard:
// every reader includes it with its own ENEMY_KIND.
ENEMY_KIND(attacker, 0, 300, 150, 0.02, attackerIdle, attackerDie0, attackerDie2, 112, 100)
ENEMY_KIND(crawler, 1, 100, 50, 0.02, crawlerIdle, crawlerDie0, crawlerDie2, 104, 52)
ENEMY_KIND(shooter, 2, 200, 75, 0.03, shooterIdle, shooterDie, shooterDie, 128, 104)
#undef ENEMY_KIND
