// The hero's controls: movement scaled by frame time, key releases, swing, jump, reports, quitting.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "replay/session.h"
#include "shell/globals.h"

#include <cmath>

using namespace hero_world;

namespace {

class PlayerControlsTest : public HeroWorldFixture {
  protected:
    // The first input step of a run sets the run speed; most cases start after it.
    void settle() {
        setEvent(SDL_NOEVENT);
        inputAfter(16);
    }
};

TEST_F(PlayerControlsTest, FirstStepWithoutAnEventShowsIdleAndSetsTheRunSpeed) {
    inputAfter(16);
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(hero->motion.speed, 800.0);
}

TEST_F(PlayerControlsTest, FirstStepStillMovesAtTheResetSpeed) {
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);
    inputAfter(16);
    EXPECT_DOUBLE_EQ(hero->motion.vx, 0.016);
    EXPECT_EQ(hero->motion.speed, 800.0);
}

TEST_F(PlayerControlsTest, MovementIsScaledByTheFrameTime) {
    settle();
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vx, 12.8);
    EXPECT_EQ(hero->facing, player::facingRight);
    EXPECT_EQ(hero->animation, player::runAnimation);
    inputAfter(0);
    EXPECT_EQ(hero->motion.vx, 0.0);
    EXPECT_EQ(hero->animation, player::idleAnimation);

    setEvent(SDL_KEYDOWN, SDLK_KP4);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vx, -12.8);
    EXPECT_EQ(hero->facing, player::facingLeft);

    setEvent(SDL_KEYDOWN, SDLK_UP);
    inputAfter(20);
    EXPECT_EQ(hero->motion.vy, -8.0); // half speed up the street
    setEvent(SDL_KEYDOWN, SDLK_KP2);
    inputAfter(20);
    EXPECT_EQ(hero->motion.vy, 16.0); // full speed down it
    EXPECT_EQ(hero->motion.vx, -12.8);
}

TEST_F(PlayerControlsTest, ReleasingOneKeyOfAnAxisStopsItEvenWithTheOtherHeld) {
    settle();
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);
    inputAfter(16);
    setEvent(SDL_KEYDOWN, SDLK_DOWN);
    inputAfter(16);
    setEvent(SDL_KEYDOWN, SDLK_LEFT);
    inputAfter(16);
    setEvent(SDL_KEYUP, SDLK_RIGHT);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vx, 0.0);
    EXPECT_EQ(hero->motion.vy, 12.8);
    inputAfter(16); // the release stays the frame's event: still stopped
    EXPECT_EQ(hero->motion.vx, 0.0);
    setEvent(SDL_KEYUP, SDLK_KP8);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vy, 0.0);
    EXPECT_EQ(hero->animation, player::idleAnimation);
    setEvent(SDL_KEYUP, SDLK_SPACE);
    inputAfter(16);
    EXPECT_EQ(hero->animation, player::idleAnimation);
}

TEST_F(PlayerControlsTest, SwingKeepsTheRunAndIgnoresInputUntilItEnds) {
    settle();
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);
    inputAfter(16);
    setEvent(SDL_KEYDOWN, SDLK_UP);
    inputAfter(20);
    setEvent(SDL_KEYDOWN, SDLK_SPACE);
    inputAfter(16);
    EXPECT_EQ(hero->animation, player::swordAnimation);
    EXPECT_EQ(hero->frame, 0);
    EXPECT_EQ(hero->motion.vx, 12.8);
    EXPECT_EQ(hero->motion.vy, 0.0);
    EXPECT_EQ(effects, std::vector<std::string>{"sword/slash"});

    hero->frame = 3;
    setEvent(SDL_KEYUP, SDLK_RIGHT);
    inputAfter(16);
    setEvent(SDL_QUIT);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vx, 12.8);
    EXPECT_EQ(hero->frame, 3);
    EXPECT_EQ(gameState, stateStarting);

    // The swing ends; a Space still current starts the next one.
    hero->animation = player::idleAnimation;
    hero->frame = 0;
    setEvent(SDL_KEYDOWN, SDLK_SPACE);
    inputAfter(16);
    EXPECT_EQ(hero->animation, player::swordAnimation);
    EXPECT_EQ(effects.size(), 2u);
}

TEST_F(PlayerControlsTest, DyingHeroTakesNoInput) {
    settle();
    hero->kill();
    setEvent(SDL_KEYDOWN, SDLK_LEFT);
    inputAfter(16);
    setEvent(SDL_KEYDOWN, SDLK_LCTRL);
    inputAfter(16);
    setEvent(SDL_QUIT);
    inputAfter(16);
    EXPECT_EQ(hero->motion.vx, 0.0);
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameState, stateStarting);
}

TEST_F(PlayerControlsTest, ClosingTheWindowEndsTheRunAfterTheFrame) {
    setEvent(SDL_QUIT);
    inputAfter(16);
    EXPECT_EQ(gameState, stateQuit);
}

TEST_F(PlayerControlsTest, JumpStartsOnlyOnTheGround) {
    settle();
    setEvent(SDL_KEYDOWN, SDLK_LCTRL);
    inputAfter(16);
    EXPECT_TRUE(hero->jumping);
    EXPECT_EQ(hero->jumpHeight, 200.0);
    EXPECT_EQ(hero->jumpStartTick, startTick);
    testing_support::advanceFrameClock(300);
    inputAfter(16);
    EXPECT_EQ(hero->jumpStartTick, startTick);

    hero->jumping = false; // landed, with Left Ctrl still the frame's event
    inputAfter(16);
    EXPECT_TRUE(hero->jumping);
    EXPECT_EQ(hero->jumpStartTick, startTick + 300);
}

TEST_F(PlayerControlsTest, RunSpeedBelowFiveFallsBackToTheDefault) {
    settle();
    hero->motion.speed = 4.9;
    inputAfter(16);
    EXPECT_EQ(hero->motion.speed, 800.0);
    hero->motion.speed = 5.0;
    inputAfter(16);
    EXPECT_EQ(hero->motion.speed, 5.0);
}

TEST_F(PlayerControlsTest, KeypadSpeedKeysLeaveTheDefaultEvenInAFrameOfNoTime) {
    settle();
    for (SDLKey key : {SDLK_KP_PLUS, SDLK_KP_MINUS}) {
        for (Uint32 frameTime : {0u, 1u, 16u}) {
            setEvent(SDL_KEYDOWN, key);
            inputAfter(frameTime);
            EXPECT_EQ(hero->motion.speed, 800.0) << key << " after " << frameTime << " ms";
        }
    }
}

TEST_F(PlayerControlsTest, PositionReportGivesScreenAndWorldCoordinates) {
    world->moveBy(Motion(-10, 0, 1, 2));
    hero->position = Vec2(412.5, 300.0);
    setEvent(SDL_KEYDOWN, SDLK_p);
    CoutCapture report;
    inputAfter(16);
    EXPECT_EQ(report.text(), "SCREEN: 412.5,300\nWORLD : 422.5,300\n");
}

TEST_F(PlayerControlsTest, QuitKeyEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setEvent(SDL_KEYDOWN, SDLK_q);
    EXPECT_EXIT(inputAfter(16), ::testing::ExitedWithCode(0), "");
}

TEST_F(PlayerControlsTest, QuitKeyEndsWithStatus1WhenTheRecordingWasLost) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setEvent(SDL_KEYDOWN, SDLK_q);
    replay::Options options;
    options.recordPath = "/dev/full";
    EXPECT_EXIT(
        {
            replay::begin(options);
            inputAfter(16);
        },
        ::testing::ExitedWithCode(1), "ghoulrun: /dev/full: No space left on device");
}

} // namespace
