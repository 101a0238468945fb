// The enemies: steering, strikes and the draw.
#include "pieces/attacker.h"
#include "pieces/enemy_fixture.h"
#include "pieces/enemy_kinds.h"
#include "sprites/sprite_catalogue.h"

#include <memory>

using namespace enemy_testing;
using testing_support::screenColourAt;

namespace {

class EnemyTest : public EnemyFixture {
  protected:
    // An attacker walking at 300 px/s, released in slot 2 at `at` (world coordinates).
    attacker* release(Vec2 at) {
        auto* enemy = new attacker(at);
        pieces[firstEnemySlot] = enemy;
        enemy->setSpeed(300);
        enemy->activate();
        spawnCounter = pieceCount - firstEnemySlot;
        return enemy;
    }
};

TEST_F(EnemyTest, ChaseSteersByScreenPlaceFollowsVerticallyOnlyNearAndAttacksCloserThan100) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(400, 300);
    const struct {
        Vec2 at; // world position; on screen 100 px further left
        double vx, vy;
        int animation;
    } cases[] = {{{500, 300}, -300, -300, monster::attackAnimation},
                 {{499, 299}, 300, 300, monster::attackAnimation},
                 {{650, 200}, -300, 7, monster::walkAnimation}, // 150 px off: vy kept
                 {{649.5, 200}, -300, 300, monster::walkAnimation},
                 {{560, 380}, -300, -300, monster::walkAnimation}, // exactly 100 px away
                 {{560, 379.9}, -300, -300, monster::attackAnimation}};
    attacker* enemy = release(Vec2(0, 0));
    for (const auto& test : cases) {
        enemy->position = test.at;
        enemy->motion.vy = 7;
        enemy->animation = monster::walkAnimation;
        enemy->frame = 1;
        enemy->chase();
        EXPECT_EQ(enemy->motion.vx, test.vx) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->motion.vy, test.vy) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->animation, test.animation) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->frame, 1) << "the frame index is kept";
    }
}

// Which frames of each kind strike, and how hard, every golden replay carries: the World's health
// is in their digest. None puts the hero exactly at the edge of the strikes' reach.
TEST_F(EnemyTest, StrikesMissAHeroTenPixelsUpOrHigher) {
    const struct { double lift, health; } cases[] = {{-10, 0}, {-9.9, -0.02}};
    hero->position = Vec2(5000, 300);
    attacker* swordsman = release(Vec2(100, 300));
    for (const auto& test : cases) {
        hero->lift = test.lift;
        world->health = 0;
        swordsman->animation = monster::attackAnimation;
        swordsman->frame = 0; // its striking frame
        wait(101);
        swordsman->animate();
        EXPECT_DOUBLE_EQ(world->health, test.health) << test.lift;
    }
}

TEST_F(EnemyTest, DrawnAtTheScrolledPlaceUnmirroredAndAFreshAttackFromItsFirstFrame) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(450, 300);
    attacker* enemy = release(Vec2(500.7, 300)); // on screen at x 400.7
    enemy->frame = 2;                            // last walk frame; the attack has two
    enemy->facing = facingMirrored;
    enemy->update(); // no animation step is due
    EXPECT_EQ(enemy->animation, monster::attackAnimation);
    const int top = 300 - pictureHeight(sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(400, top).r, sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(400, top).b, 255); // the left-column marker
    EXPECT_EQ(screenColourAt(407, 299).r, sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(399, top).r, 0);
    EXPECT_EQ(screenColourAt(400, top - 1).r, 0);
    EXPECT_EQ(screenColourAt(400, 300).r, 0);
}

// Every kind on the list, built as the roster builds it, waits dead, out of every check, until the
// release schedule brings it in; killed, its death runs to the frame that takes it out of play and
// counts it. A kind whose die animation is too short would die forever.
TEST_F(EnemyTest, EveryKindWaitsDeadUntilReleasedAndItsDeathTakesItOutOfPlay) {
    for (const EnemyKind& kind : enemy_kind::all) {
        const std::unique_ptr<GamePiece> enemy(kind.build(Vec2(0, 0)));
        EXPECT_FALSE(enemy->isAlive()) << kind.name;
        enemy->activate();
        ASSERT_TRUE(enemy->isAlive()) << kind.name;
        completedCount = 0;
        enemy->kill();
        for (int step = 0; step < monster::deathEndFrame; ++step) {
            EXPECT_TRUE(enemy->isAlive()) << kind.name << " left play at step " << step;
            wait(101);
            enemy->animate();
        }
        EXPECT_FALSE(enemy->isAlive()) << kind.name << " never leaves play";
        EXPECT_EQ(completedCount, 1) << kind.name;
    }
}

} // namespace
