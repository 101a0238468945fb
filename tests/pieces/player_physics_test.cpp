// The hero's think: the jump arc, the sword's strike, scrolling at the band edges, the street.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "shell/globals.h"

#include <cmath>

using namespace hero_world;

namespace {

class PlayerPhysicsTest : public HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        // Enemies keep world coordinates: with this scroll, screen x = world x - 100.
        world->moveBy(Motion(-100, 0, 1, 2));
    }
    // An enemy at screen position (x, y).
    StrikeTarget* enemyOnScreen(double x, double y = 400.0) { return addEnemy(Vec2(x + 100.0, y)); }
    // One think with the sword showing `frame`.
    void swingOn(int frame) {
        hero->animation = player::swordAnimation;
        hero->frame = frame;
        hero->think();
    }
    // One frame's position step and think.
    void moveAndThink(double vx) {
        hero->motion.vx = vx;
        hero->position.x += vx;
        hero->think();
    }
};

int expectedPhase(Uint32 t) {
    if (t < 100) {
        return player::jumpStartAnimation;
    }
    if (t < 400) {
        return player::jumpUpAnimation;
    }
    if (t < 600) {
        return player::jumpTopAnimation;
    }
    if (t < 900) {
        return player::jumpDownAnimation;
    }
    return player::idleAnimation; // left to the input step
}

TEST_F(PlayerPhysicsTest, JumpPhasesFollowTheClockAndTouchdownIsAtTheFirstMsPast999_6) {
    setEvent(SDL_KEYDOWN, SDLK_LCTRL);
    inputAfter(16);
    ASSERT_TRUE(hero->jumping);
    ASSERT_EQ(hero->jumpStartTick, startTick);
    for (Uint32 t = 0; t < 1000; ++t) {
        testing_support::setFrameClock(startTick + t);
        hero->animation = player::idleAnimation;
        hero->think();
        ASSERT_TRUE(hero->jumping) << t;
        ASSERT_EQ(hero->animation, expectedPhase(t)) << t;
        if (t > 0) {
            ASSERT_LT(hero->lift, 0.0) << t;
        }
        if (t == 0) {
            EXPECT_EQ(hero->lift, 0.0);
        }
        if (t == 500) {
            EXPECT_NEAR(hero->lift, -200.0, 0.001);
        }
    }
    testing_support::setFrameClock(startTick + 1000);
    hero->think();
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(hero->lift, 0.0);
    EXPECT_EQ(hero->animation, player::landingAnimation);
}

TEST_F(PlayerPhysicsTest, SwordStrikesWithinReachInFrontAndEveryoneNearScreams) {
    StrikeTarget* near = enemyOnScreen(549.0);            // 149 px in front
    StrikeTarget* far = enemyOnScreen(550.0);             // 150 px: out of reach
    StrikeTarget* behind = enemyOnScreen(379.0);          // 21 px behind the hero's x
    StrikeTarget* diagonal = enemyOnScreen(489.0, 520.0); // about 149.4 px away
    swingOn(5);
    EXPECT_EQ(near->kills, 1);
    EXPECT_EQ(far->kills, 0);
    EXPECT_EQ(behind->kills, 0);
    EXPECT_EQ(diagonal->kills, 1);
    EXPECT_EQ(effects,
              (std::vector<std::string>{"death/wilhelm", "death/wilhelm", "death/wilhelm"}));

    swingOn(6); // the next frame strikes again: a dying enemy is still alive
    EXPECT_EQ(near->kills, 2);
    for (int frame : {0, 4, 7, 9}) {
        swingOn(frame);
    }
    hero->animation = player::runAnimation;
    hero->frame = 5;
    hero->think();
    EXPECT_EQ(near->kills, 2);
    EXPECT_EQ(effects.size(), 6u);
}

TEST_F(PlayerPhysicsTest, SideMarginCountsUpTo20PxBehindOnBothFacings) {
    StrikeTarget* rightEdge = enemyOnScreen(380.0); // hero x - 20
    StrikeTarget* rightIn = enemyOnScreen(381.0);
    StrikeTarget* leftEdge = enemyOnScreen(420.0); // hero x + 20
    StrikeTarget* leftIn = enemyOnScreen(419.0);
    swingOn(5);
    EXPECT_EQ(rightEdge->kills, 0);
    EXPECT_EQ(rightIn->kills, 1);
    EXPECT_EQ(leftEdge->kills, 1);
    EXPECT_EQ(leftIn->kills, 1);

    hero->facing = player::facingLeft;
    swingOn(5);
    EXPECT_EQ(rightEdge->kills, 1);
    EXPECT_EQ(rightIn->kills, 2);
    EXPECT_EQ(leftEdge->kills, 1);
    EXPECT_EQ(leftIn->kills, 2);
}

TEST_F(PlayerPhysicsTest, SwordPassesOverDeadAndUnreleasedEnemies) {
    StrikeTarget* dead = enemyOnScreen(450.0);
    dead->dead = true;
    auto* waiting = new StrikeTarget(Vec2(550.0, 400.0)); // the next slot, not released yet
    pieces[newestReleasedSlot() + 1] = waiting;
    swingOn(5);
    EXPECT_EQ(dead->kills, 0);
    EXPECT_EQ(waiting->kills, 0);
    EXPECT_TRUE(effects.empty());
}

TEST_F(PlayerPhysicsTest, LeavingTheBandScrollsTheWorldByWholePixelsInstead) {
    const double scrollBefore = world->getScroll().x; // -100
    hero->position.x = 598.0;
    moveAndThink(5.0);
    EXPECT_EQ(hero->position.x, 598.0);
    EXPECT_EQ(world->getScroll().x, scrollBefore - 5.0);

    hero->position.x = 599.9;
    moveAndThink(0.7);
    EXPECT_DOUBLE_EQ(hero->position.x, 599.9);
    EXPECT_EQ(world->getScroll().x, scrollBefore - 5.0);

    // At the city's left end the World clamps and the hero waits at the band's edge.
    world->moveBy(Motion(1000, 0, 1, 2));
    hero->position.x = 101.0;
    moveAndThink(-5.0);
    EXPECT_EQ(hero->position.x, 101.0);
    EXPECT_EQ(world->position.x, 0.0);
}

TEST_F(PlayerPhysicsTest, FeetStayOnTheStreet) {
    hero->position.y = 490.0;
    hero->think();
    EXPECT_EQ(hero->position.y, 485.0);
    hero->position.y = 140.0;
    hero->lift = -150.0; // the jump's lift plays no part
    hero->think();
    EXPECT_EQ(hero->position.y, 150.0);
    hero->position.y = 300.0;
    hero->think();
    EXPECT_EQ(hero->position.y, 300.0);
}

} // namespace
