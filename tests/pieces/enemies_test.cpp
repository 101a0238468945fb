// The enemies: steering, strikes and the draw.
#include "pieces/attacker.h"
#include "pieces/crawler.h"
#include "pieces/enemy_fixture.h"
#include "pieces/shooter.h"

using namespace enemy_testing;

namespace {

class EnemyTest : public EnemyFixture {
  protected:
    // An enemy released in `slot` far from the hero, in the attack animation at `frame`.
    template <class Enemy> Enemy* attackingAt(int frame, int slot = 2) {
        hero->position = Vec2(5000, 300);
        Enemy* enemy = release<Enemy>(slot, Vec2(100, 300));
        enemy->animation = monster::attackAnimation;
        enemy->frame = frame;
        return enemy;
    }
    // Runs `steps` animation steps, 101 ms apart, and returns the frames that struck, each
    // taking `damage` off the health.
    std::vector<int> strikingFrames(GamePiece* enemy, int steps, double damage = 0) {
        std::vector<int> struck;
        for (int step = 0; step < steps; ++step) {
            const int frameBefore = enemy->frame;
            const double healthBefore = world->health;
            wait(101);
            enemy->animate();
            if (world->health != healthBefore) {
                struck.push_back(frameBefore);
                EXPECT_DOUBLE_EQ(healthBefore - world->health, damage) << frameBefore;
            }
        }
        return struck;
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
    attacker* enemy = release<attacker>(2, Vec2(0, 0));
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

TEST_F(EnemyTest, EachKindStrikesOnItsOwnFramesOnlyWhileAttackingAndTheHeroIsDown) {
    const struct {
        GamePiece* enemy;
        std::vector<int> frames;
        double damage;
    } cases[] = {{attackingAt<attacker>(0, 2), {0, 0, 0}, 0.02},
                 {attackingAt<shooter>(0, 3), {0, 0, 0}, 0.03},
                 {attackingAt<crawler>(0, 4), {1, 3}, 0.02}};
    for (const auto& test : cases) {
        EXPECT_EQ(strikingFrames(test.enemy, 5, test.damage), test.frames);
        test.enemy->animation = monster::walkAnimation;
        test.enemy->frame = 0;
        EXPECT_TRUE(strikingFrames(test.enemy, 3).empty());
    }
    GamePiece* swordsman = cases[0].enemy;
    swordsman->animation = monster::attackAnimation;
    swordsman->frame = 0;
    hero->lift = -10;
    EXPECT_TRUE(strikingFrames(swordsman, 2).empty()) << "no strike reaches 10 px up";
    hero->lift = -9.9;
    EXPECT_EQ(strikingFrames(swordsman, 2, 0.02), (std::vector<int>{0}));
}

TEST_F(EnemyTest, DrawnAtTheScrolledPlaceUnmirroredAndAFreshAttackFromItsFirstFrame) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(450, 300);
    attacker* enemy = release<attacker>(2, Vec2(500.7, 300)); // on screen at x 400.7
    enemy->frame = 2;                                         // last walk frame; the attack has two
    enemy->facing = facingMirrored;
    enemy->update(); // no animation step is due
    EXPECT_EQ(enemy->animation, monster::attackAnimation);
    const int top = 300 - pictureHeight(57);
    EXPECT_EQ(pictureIndexAt(400, top), 57);
    EXPECT_EQ(testing_support::screenColourAt(400, top).b, 255); // the left-column marker
    EXPECT_EQ(pictureIndexAt(407, 299), 57);
    EXPECT_EQ(pictureIndexAt(399, top), 0);
    EXPECT_EQ(pictureIndexAt(400, top - 1), 0);
    EXPECT_EQ(pictureIndexAt(400, 300), 0);
}

} // namespace
