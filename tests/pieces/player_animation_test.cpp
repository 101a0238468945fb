// The hero's construction, animation step, end-of-swing report and death.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "shell/globals.h"
#include "sprites/sprite_catalogue.h"

using namespace hero_world;

namespace {

class PlayerAnimationTest : public HeroWorldFixture {
  protected:
    void stepAfter(Uint32 ms) {
        testing_support::advanceFrameClock(ms);
        hero->animate();
    }
};

TEST_F(PlayerAnimationTest, NewHeroStandsIdleOnTheStreetAndAnnouncesItself) {
    EXPECT_EQ(loadOutput, "Loading Player\n");
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(hero->frame, 0);
    EXPECT_EQ(hero->facing, player::facingRight);
    EXPECT_EQ(hero->position.x, 400.0);
    EXPECT_EQ(hero->position.y, 400.0);
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(hero->lift, 0.0);
    EXPECT_EQ(hero->motion.speed, 1.0);
    EXPECT_TRUE(hero->isAlive());

    const std::vector<int> counts{10, 1, 1, 2, 1, 2, 2, 2, 10, 2, 2};
    EXPECT_EQ(hero->frameCounts, counts);
    EXPECT_EQ(hero->animations[player::runAnimation].frames[9], spriteAt(13));
    EXPECT_EQ(hero->animations[player::swordAnimation].frames[9], spriteAt(36));
    EXPECT_EQ(hero->animations[player::swordAnimation].frames.size(), 10u); // no sword10
    EXPECT_EQ(hero->animations[player::dyingAnimation].frames[1], spriteAt(45));
    EXPECT_EQ(hero->animations[player::unusedIdleAnimation].frames[1], nullptr);
}

TEST_F(PlayerAnimationTest, StepsAfterMoreThan100MsAndLoopsTheRunFromItsSecondFrame) {
    hero->animation = player::runAnimation;
    hero->frame = 9;
    stepAfter(100);
    EXPECT_EQ(hero->frame, 9);
    stepAfter(1);
    EXPECT_EQ(hero->frame, 1);
    EXPECT_EQ(hero->lastFrameTick, startTick + 101);

    // Landing runs past its count and is left there; draw starts it over at frame 0.
    hero->animation = player::landingAnimation;
    hero->frame = 1;
    stepAfter(101);
    EXPECT_EQ(hero->frame, 2);
    hero->draw();
    EXPECT_EQ(hero->frame, 0);
}

TEST_F(PlayerAnimationTest, SwingEndsOnItsTenthStepWithTheScoreAndSurvivalTime) {
    setEvent(SDL_KEYDOWN, SDLK_SPACE);
    inputAfter(16);
    ASSERT_EQ(hero->animation, player::swordAnimation);
    CoutCapture swing;
    for (int step = 1; step <= 9; ++step) {
        stepAfter(101);
        EXPECT_EQ(hero->frame, step);
        EXPECT_EQ(hero->animation, player::swordAnimation);
    }
    EXPECT_EQ(swing.text(), "");
    testing_support::setFrameClock(12345);
    hero->animate();
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(hero->frame, 0);
    EXPECT_EQ(swing.text(), "Score: 0\nYou have survived for 12.3 seconds\n");
}

TEST_F(PlayerAnimationTest, ReportShowsWholeSecondsWithoutADecimalAndScoresCompletedEnemies) {
    completedCount = 5;
    hero->animation = player::swordAnimation;
    hero->frame = 9;
    testing_support::setFrameClock(125000);
    CoutCapture report;
    hero->animate();
    EXPECT_EQ(report.text(), "Score: 5\nYou have survived for 125 seconds\n");
}

TEST_F(PlayerAnimationTest, KillShowsTheDyingPoseAndStartsTheGameOverOnlyOnce) {
    hero->kill();
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameOverStarts, 1);
    hero->animation = player::idleAnimation;
    for (int call = 0; call < 20; ++call) {
        hero->kill();
    }
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameOverStarts, 1);
    EXPECT_TRUE(hero->isAlive()); // the hero keeps updating while the sequence plays
}

} // namespace
