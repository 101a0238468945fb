// The shared enemy body: steering, the movement step, crowding, dying in place and the draw.
#include "pieces/attacker.h"
#include "pieces/enemy_fixture.h"
#include "pieces/monster.h"

#include <gtest/gtest.h>

using namespace enemy_testing;

namespace {

class MonsterTest : public EnemyFixture {};

TEST_F(MonsterTest, ChaseSteersTowardTheHeroOnScreen) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(400, 300);
    attacker* enemy = release<attacker>(2, Vec2(500, 300));
    enemy->chase(); // screen x and y both equal to the hero's
    EXPECT_EQ(enemy->motion.vx, -300);
    EXPECT_EQ(enemy->motion.vy, -300);

    enemy->position = Vec2(499, 299);
    enemy->chase();
    EXPECT_EQ(enemy->motion.vx, 300);
    EXPECT_EQ(enemy->motion.vy, 300);

    // The vertical test takes the y values as they stand, not scrolled.
    world->scroll = Vec2(-100, 50);
    enemy->chase();
    EXPECT_EQ(enemy->motion.vy, 300);
}

TEST_F(MonsterTest, FollowsVerticallyOnlyWithin150PixelsHorizontally) {
    hero->position = Vec2(400, 300);
    attacker* enemy = release<attacker>(2, Vec2(550, 200), 100);
    wait(1000);
    enemy->update(); // just released, 150 px off: moves only sideways
    EXPECT_EQ(enemy->motion.vy, 0);
    EXPECT_EQ(enemy->position.x, 450);
    EXPECT_EQ(enemy->position.y, 200);

    enemy->motion.vy = -100;
    enemy->position = Vec2(550, 200);
    enemy->chase(); // keeps its last vertical direction while 150 px or more away
    EXPECT_EQ(enemy->motion.vy, -100);
    enemy->position.x = 549.5;
    enemy->chase();
    EXPECT_EQ(enemy->motion.vy, 100);
}

TEST_F(MonsterTest, AttacksCloserThan100PixelsAndKeepsItsFrameIndex) {
    hero->position = Vec2(400, 300);
    attacker* enemy = release<attacker>(2, Vec2(460, 380)); // exactly 100 px away
    enemy->animation = monster::attackAnimation;
    enemy->frame = 1;
    enemy->chase();
    EXPECT_EQ(enemy->animation, monster::walkAnimation);
    enemy->position.y = 379.9;
    enemy->chase();
    EXPECT_EQ(enemy->animation, monster::attackAnimation);
    EXPECT_EQ(enemy->frame, 1);
}

TEST_F(MonsterTest, MovesBySpeedTimesTheWholeTimeSinceTheLastFrame) {
    hero->position = Vec2(5000, 300);
    attacker* enemy = release<attacker>(2, Vec2(1000, 300), 300);
    wait(2000);
    enemy->update();
    EXPECT_EQ(enemy->position.x, 1600);
    EXPECT_EQ(enemy->position.y, 300);
}

TEST_F(MonsterTest, StandsWhileTouchingTheHeroButKeepsToTheStreet) {
    hero->position = Vec2(400, 485.5);
    attacker* enemy = release<attacker>(2, Vec2(400, 485.5));
    wait(100);
    enemy->update();
    EXPECT_EQ(enemy->position.x, 400);
    EXPECT_EQ(enemy->position.y, 485);

    hero->position = Vec2(400, 300);
    enemy->position = Vec2(434.9, 300);
    enemy->update();
    EXPECT_EQ(enemy->position.x, 434.9);
    enemy->position.x = 435; // 35 px is no longer touching
    enemy->update();
    EXPECT_EQ(enemy->position.x, 405);
}

TEST_F(MonsterTest, StreetBandClampsOnlyBeyondItsEdges) {
    hero->position = Vec2(5000, 300);
    attacker* enemy = release<attacker>(2, Vec2(1000, 300));
    const double given[] = {150, 485, 485.5, 149.9};
    const double kept[] = {150, 485, 485, 150};
    for (int i = 0; i < 4; ++i) {
        enemy->position.y = given[i];
        enemy->think();
        EXPECT_EQ(enemy->position.y, kept[i]) << given[i];
    }
}

TEST_F(MonsterTest, SeparatePushesPerAxisByAnEighthOfTheDifference) {
    attacker* enemy = release<attacker>(2, Vec2(100, 300));
    attacker* other = release<attacker>(3, Vec2(100, 329));
    enemy->separate(); // equal x: no sideways push
    EXPECT_EQ(enemy->position.x, 100);
    EXPECT_EQ(enemy->position.y, 296.375);

    enemy->position = Vec2(100, 300);
    other->position = Vec2(700, 329); // far apart in x, still 29 px in y
    enemy->separate();
    EXPECT_EQ(enemy->position.x, 100);
    EXPECT_EQ(enemy->position.y, 296.375);

    enemy->position = Vec2(100, 300);
    other->position = Vec2(129.5, 330);
    enemy->separate();
    EXPECT_EQ(enemy->position.x, 96.3125);
    EXPECT_EQ(enemy->position.y, 300);
}

TEST_F(MonsterTest, SeparatePushesInSlotOrderEachPushSeenByTheNext) {
    release<attacker>(2, Vec2(80, 1000));
    attacker* enemy = release<attacker>(3, Vec2(100, 300));
    release<attacker>(4, Vec2(131, 2000)); // 31 px away until the first push
    release<attacker>(5, Vec2(98, 3000))->dead = true;
    release<attacker>(6, Vec2(106.9375, 4000))->kill(); // dying still shoulders
    enemy->separate();
    EXPECT_EQ(enemy->position.x, 97.9375); // 100 + 2.5 - 3.5625 - 1
    EXPECT_EQ(enemy->position.y, 300);
}

TEST_F(MonsterTest, NewestReleasedEnemyTakesPartInEveryOthersSeparate) {
    attacker* first = release<attacker>(2, Vec2(0, 150));
    attacker* second = release<attacker>(3, Vec2(1000, 450));
    release<attacker>(4, Vec2(10, 440));
    attacker* waiting = new attacker(Vec2(5, 155)); // built but not yet released
    waiting->activate();
    pieces[5] = waiting;
    first->separate();
    second->separate();
    EXPECT_EQ(first->position.x, -1.25);
    EXPECT_EQ(first->position.y, 150);
    EXPECT_EQ(second->position.x, 1000);
    EXPECT_EQ(second->position.y, 451.25);
}

TEST_F(MonsterTest, DyingEnemyStandsStillAndRunsOnFromItsFrameIndex) {
    hero->position = Vec2(1000, 300);
    attacker* enemy = release<attacker>(2, Vec2(300, 300));
    enemy->frame = 2;
    enemy->motion.vx = 300;
    enemy->kill();
    wait(2000);
    enemy->update();
    EXPECT_EQ(enemy->position.x, 300);
    EXPECT_EQ(enemy->position.y, 300);
    EXPECT_EQ(enemy->animation, monster::dieAnimation);
    EXPECT_EQ(enemy->frame, 3);
    EXPECT_EQ(pictureIndexAt(301, 299), 59); // the fourth die picture
}

TEST_F(MonsterTest, SwitchToAttackIsDrawnFromItsFirstFrameAtTheScrolledPlaceUnmirrored) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(450, 300);
    attacker* enemy = release<attacker>(2, Vec2(500.7, 300)); // on screen at x 400.7
    enemy->frame = 2;                                         // last walk frame; the attack has two
    enemy->facing = facingMirrored;
    enemy->update(); // no animation step is due
    EXPECT_EQ(enemy->animation, monster::attackAnimation);
    EXPECT_EQ(enemy->frame, 0);
    const int top = 300 - pictureHeight(57);
    EXPECT_EQ(pictureIndexAt(400, top), 57);
    EXPECT_EQ(testing_support::screenColourAt(400, top).b, 255); // the left-column marker
    EXPECT_EQ(pictureIndexAt(407, 299), 57);
    EXPECT_EQ(pictureIndexAt(399, top), 0);
    EXPECT_EQ(pictureIndexAt(400, top - 1), 0);
    EXPECT_EQ(pictureIndexAt(400, 300), 0);
}

} // namespace
