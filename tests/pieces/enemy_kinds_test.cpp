// The three enemy kinds: their strikes, their deaths, and the enemy slots of the roster.
#include "pieces/attacker.h"
#include "pieces/crawler.h"
#include "pieces/enemy_fixture.h"
#include "pieces/shooter.h"
#include "shell/game.h"

#include <gtest/gtest.h>

#include <memory>

using namespace enemy_testing;

namespace {

class EnemyKindTest : public EnemyFixture {
  protected:
    // An enemy released in `slot` far from the hero, in the attack animation at `frame`.
    template <class Enemy> Enemy* attackingAt(int frame, int slot = 2) {
        hero->position = Vec2(5000, 300);
        Enemy* enemy = release<Enemy>(slot, Vec2(100, 300));
        enemy->animation = monster::attackAnimation;
        enemy->frame = frame;
        return enemy;
    }
    // Runs `steps` animation steps, 101 ms apart, and returns the attack frames that struck.
    std::vector<int> strikingFrames(GamePiece* enemy, int steps) {
        std::vector<int> struck;
        for (int step = 0; step < steps; ++step) {
            const int frameBefore = enemy->frame;
            const size_t strikesBefore = world->healthChanges.size();
            wait(101);
            enemy->animate();
            if (world->healthChanges.size() > strikesBefore) {
                struck.push_back(frameBefore);
            }
        }
        return struck;
    }
    // The frame loop's enemy part: every slot in play from the newest down, 101 ms apart.
    void runFrames(int count) {
        for (int i = 0; i < count; ++i) {
            wait(101);
            for (int slot = newestReleasedSlot(); slot >= firstEnemySlot; --slot) {
                pieces[slot]->update();
            }
            lastFrameEndTick = platform::ticks();
        }
    }
};

TEST_F(EnemyKindTest, AttackerAndShooterStrikeAsTheirSwingStarts) {
    attacker* swordsman = attackingAt<attacker>(0);
    wait(100);
    swordsman->animate(); // not yet due
    EXPECT_TRUE(world->healthChanges.empty());
    EXPECT_EQ(strikingFrames(swordsman, 4), (std::vector<int>{0, 0}));
    EXPECT_EQ(world->healthChanges[0].amount, 0.02);
    EXPECT_EQ(world->healthChanges[0].sign, -1);

    world->healthChanges.clear();
    shooter* hard = attackingAt<shooter>(0, 3);
    EXPECT_EQ(strikingFrames(hard, 4), (std::vector<int>{0, 0}));
    EXPECT_EQ(world->healthChanges[0].amount, 0.03);

    hard->animation = monster::walkAnimation; // only the attack strikes
    hard->frame = 0;
    EXPECT_TRUE(strikingFrames(hard, 2).empty());
}

TEST_F(EnemyKindTest, CrawlerStrikesOnOddAttackFramesOnly) {
    crawler* slow = attackingAt<crawler>(0);
    EXPECT_EQ(strikingFrames(slow, 5), (std::vector<int>{1, 3}));
    EXPECT_EQ(world->healthChanges[1].amount, 0.02);
    EXPECT_EQ(slow->frame, 0);
}

TEST_F(EnemyKindTest, NoStrikeReachesAHeroTenPixelsOrMoreUp) {
    attacker* swordsman = attackingAt<attacker>(0);
    hero->lift = -10;
    EXPECT_TRUE(strikingFrames(swordsman, 2).empty());
    hero->lift = -9.9;
    EXPECT_EQ(strikingFrames(swordsman, 2), (std::vector<int>{0}));
}

TEST_F(EnemyKindTest, DeathRunsOnFromTheFrameIndexAndEndsAtTheSixthDieFrame) {
    crawler* late = attackingAt<crawler>(4);
    late->kill();
    strikingFrames(late, 1);
    EXPECT_FALSE(late->dead);
    strikingFrames(late, 1);
    EXPECT_TRUE(late->dead);

    crawler* early = attackingAt<crawler>(0, 3);
    early->kill();
    EXPECT_TRUE(strikingFrames(early, 5).empty()); // odd die frames do not strike
    EXPECT_FALSE(early->dead);
    EXPECT_EQ(early->frame, 5);
    strikingFrames(early, 1);
    EXPECT_TRUE(early->dead);
}

TEST_F(EnemyKindTest, KillOnADyingEnemyChangesNothing) {
    attacker* swordsman = attackingAt<attacker>(1);
    swordsman->kill();
    strikingFrames(swordsman, 1);
    const Uint32 stepped = swordsman->lastFrameTick;
    swordsman->kill();
    EXPECT_EQ(swordsman->animation, monster::dieAnimation);
    EXPECT_EQ(swordsman->frame, 2);
    EXPECT_EQ(swordsman->lastFrameTick, stepped);
    EXPECT_FALSE(swordsman->dead);
}

TEST_F(EnemyKindTest, CompletedCountCountsEachDeathOnceAsItLeavesPlay) {
    hero->position = Vec2(5000, 300);
    crawler* first = release<crawler>(2, Vec2(100, 300), 0);
    crawler* second = release<crawler>(3, Vec2(600, 300), 0);
    release<attacker>(4, Vec2(1100, 300), 0);
    first->kill();
    runFrames(5);
    EXPECT_EQ(completedCount, 0);
    second->kill();
    runFrames(1); // the step that ends the first death still draws it, at die frame 0
    EXPECT_EQ(completedCount, 1);
    EXPECT_EQ(pictureIndexAt(101, 299), 72);
    second->kill();
    first->kill();
    runFrames(10);
    EXPECT_EQ(completedCount, 2);
    EXPECT_TRUE(first->dead);
    EXPECT_TRUE(second->dead);
    EXPECT_FALSE(pieces[4]->dead);
}

TEST(EnemyRosterTest, KindAndSpeedFollowTheSlot) {
    struct Expected {
        int slot;
        const char* kind;
        double speed;
    };
    const Expected roster[] = {{2, "shooter", 200},    {3, "attacker", 450}, {4, "crawler", 100},
                               {5, "shooter", 275},    {6, "attacker", 300}, {7, "crawler", 150},
                               {10000, "crawler", 100}};
    for (const Expected& expected : roster) {
        const std::unique_ptr<GamePiece> enemy(makeEnemy(expected.slot));
        const std::string kind = dynamic_cast<attacker*>(enemy.get())  ? "attacker"
                                 : dynamic_cast<crawler*>(enemy.get()) ? "crawler"
                                 : dynamic_cast<shooter*>(enemy.get()) ? "shooter"
                                                                       : "none";
        EXPECT_EQ(kind, expected.kind) << expected.slot;
        EXPECT_EQ(enemy->motion.speed, expected.speed) << expected.slot;
        EXPECT_TRUE(enemy->dead) << expected.slot;
        EXPECT_EQ(enemy->position.x, 0);
        EXPECT_EQ(enemy->position.y, 0);
    }
}

} // namespace
