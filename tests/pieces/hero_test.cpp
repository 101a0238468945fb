// The hero: every key's effect, the swing and its sounds, the jump, the sword's reach, death, and
// the pictures behind every animation the hero and the World show.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "replay/session.h"
#include "shell/globals.h"

#include <algorithm>

using namespace hero_world;

namespace {

// A settled hero runs at 800 px/s; a 20 ms frame moves it 16 px, or 8 px up the street.
constexpr Uint32 frameMs = 20;
constexpr double step = 16.0;

class HeroTest : public HeroWorldFixture {
  protected:
    // A hero fresh from its first input step, which sets the run speed.
    void settledHero() {
        CoutCapture quiet;
        delete hero;
        pieces[heroSlot] = hero = new player(Vec2(400.0, 400.0));
        effects.clear();
        press(SDL_NOEVENT);
    }
    void press(Uint8 type, SDLKey key = SDLK_UNKNOWN) {
        setEvent(type, key);
        inputAfter(frameMs);
    }
};

// Pressed: the motion, facing, animation, jump and sound it gives. Released from a hero moving
// on both axes: which axis it stops, even with the other key of that axis held.
TEST_F(HeroTest, EveryKeyGivesItsOwnMotionAndNoOther) {
    constexpr int right = player::facingRight, left = player::facingLeft;
    constexpr int run = player::runAnimation, idle = player::idleAnimation;
    const struct {
        SDLKey key;
        double vx, vy;
        int facing, animation;
        bool jumps;
        const char* sound;
        bool stopsX, stopsY;
    } cases[] = {
        {SDLK_RIGHT, step, 0, right, run, false, "", true, false},
        {SDLK_KP6, step, 0, right, run, false, "", true, false},
        {SDLK_LEFT, -step, 0, left, run, false, "", true, false},
        {SDLK_KP4, -step, 0, left, run, false, "", true, false},
        {SDLK_UP, 0, -step / 2, right, run, false, "", false, true},
        {SDLK_KP8, 0, -step / 2, right, run, false, "", false, true},
        {SDLK_DOWN, 0, step, right, run, false, "", false, true},
        {SDLK_KP2, 0, step, right, run, false, "", false, true},
        {SDLK_LCTRL, 0, 0, right, idle, true, "", false, false},
        {SDLK_SPACE, 0, 0, right, player::swordAnimation, false, "sword/slash", false, false},
        {SDLK_KP_PLUS, 0, 0, right, idle, false, "", false, false},
        {SDLK_KP_MINUS, 0, 0, right, idle, false, "", false, false},
        {SDLK_RCTRL, 0, 0, right, idle, false, "", false, false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(SDL_GetKeyName(test.key));
        settledHero();
        press(SDL_KEYDOWN, test.key);
        EXPECT_DOUBLE_EQ(hero->motion.vx, test.vx);
        EXPECT_DOUBLE_EQ(hero->motion.vy, test.vy);
        EXPECT_EQ(hero->facing, test.facing);
        EXPECT_EQ(hero->animation, test.animation);
        EXPECT_EQ(hero->jumping, test.jumps);
        EXPECT_EQ(effects.empty() ? "" : effects[0], std::string(test.sound));
        EXPECT_EQ(hero->motion.speed, 800.0) << "no key leaves a lasting speed";
        EXPECT_EQ(gameState, stateStarting);

        settledHero();
        hero->motion.vx = 5.0;
        hero->motion.vy = -3.0;
        press(SDL_KEYUP, test.key);
        EXPECT_EQ(hero->motion.vx, test.stopsX ? 0.0 : 5.0);
        EXPECT_EQ(hero->motion.vy, test.stopsY ? 0.0 : -3.0);
    }
    press(SDL_KEYUP, SDLK_RIGHT);
    press(SDL_KEYUP, SDLK_UP);
    EXPECT_EQ(hero->animation, idle) << "a hero at rest shows idle";
    press(SDL_QUIT);
    EXPECT_EQ(gameState, stateQuit);
}

TEST_F(HeroTest, SwingAsksForItsSoundIgnoresInputAndEndsOnItsTenthStepWithTheReport) {
    settledHero();
    press(SDL_KEYDOWN, SDLK_RIGHT);
    press(SDL_KEYDOWN, SDLK_DOWN);
    press(SDL_KEYDOWN, SDLK_SPACE);
    EXPECT_EQ(hero->motion.vx, step) << "a running hero slides on through the swing";
    EXPECT_EQ(hero->motion.vy, 0.0);
    CoutCapture report;
    const SDLKey ignored[] = {SDLK_RIGHT, SDLK_SPACE, SDLK_LCTRL};
    for (int frame = 1; frame <= 9; ++frame) {
        press(frame % 2 ? SDL_KEYUP : SDL_KEYDOWN, ignored[frame % 3]);
        testing_support::advanceFrameClock(101);
        hero->animate();
        EXPECT_EQ(hero->animation, player::swordAnimation);
    }
    press(SDL_QUIT);
    EXPECT_EQ(hero->motion.vx, step);
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(gameState, stateStarting);
    EXPECT_EQ(report.text(), "");
    completedCount = 5;
    testing_support::setFrameClock(125000);
    hero->animate();
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(report.text(), "Score: 5\nYou have survived for 125 seconds\n");
    EXPECT_EQ(effects, std::vector<std::string>{"sword/slash"}) << "one sound per swing";
}

TEST_F(HeroTest, DyingHeroTakesNoInputAndStartsTheGameOverOnce) {
    settledHero();
    for (const SDLKey key : {SDLK_LEFT, SDLK_LCTRL, SDLK_SPACE}) {
        hero->kill();
        press(SDL_KEYDOWN, key);
    }
    press(SDL_QUIT);
    EXPECT_EQ(gameOverStarts, 1);
    EXPECT_EQ(hero->motion.vx, 0.0);
    EXPECT_FALSE(hero->jumping);
    EXPECT_TRUE(effects.empty());
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameState, stateStarting);
    EXPECT_TRUE(hero->isAlive()) << "the hero keeps updating while the sequence plays";
}

TEST_F(HeroTest, PositionReportGivesScreenAndWorldCoordinates) {
    world->moveBy(Motion(-10, 0, 1, 2));
    hero->position = Vec2(412.5, 300.0);
    CoutCapture report;
    press(SDL_KEYDOWN, SDLK_p);
    EXPECT_EQ(report.text(), "SCREEN: 412.5,300\nWORLD : 422.5,300\n");
}

TEST_F(HeroTest, QuitKeyEndsTheProcessWithTheRecordingsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    replay::Options lost;
    lost.recordPath = "/dev/full";
    EXPECT_EXIT(
        {
            replay::begin(lost);
            press(SDL_KEYDOWN, SDLK_q);
        },
        ::testing::ExitedWithCode(1), "ghoulrun: /dev/full: No space left on device");
}

TEST_F(HeroTest, JumpPhasesFollowTheJumpClockUntilTouchdown) {
    settledHero();
    press(SDL_KEYDOWN, SDLK_LCTRL);
    testing_support::advanceFrameClock(300);
    press(SDL_KEYDOWN, SDLK_LCTRL);
    EXPECT_EQ(hero->jumpStartTick, startTick) << "no new jump in the air";
    const std::pair<Uint32, int> phases[] = {
        {1, player::jumpStartAnimation},  {99, player::jumpStartAnimation},
        {100, player::jumpUpAnimation},   {399, player::jumpUpAnimation},
        {400, player::jumpTopAnimation},  {599, player::jumpTopAnimation},
        {600, player::jumpDownAnimation}, {899, player::jumpDownAnimation},
        {900, player::idleAnimation},     {999, player::idleAnimation}};
    for (const auto& [at, animation] : phases) {
        testing_support::setFrameClock(startTick + at);
        hero->animation = player::idleAnimation;
        hero->think();
        EXPECT_TRUE(hero->jumping && hero->lift < 0.0) << at;
        EXPECT_EQ(hero->animation, animation) << at;
    }
    testing_support::setFrameClock(startTick + 1000);
    hero->think();
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(hero->lift, 0.0);
    EXPECT_EQ(hero->animation, player::landingAnimation);
}

TEST_F(HeroTest, SwordCutsLiveEnemiesWithinReachInFrontOnFrames5And6AndEveryoneNearScreams) {
    world->moveBy(Motion(-100, 0, 1, 2)); // screen x = world x - 100
    // Screen places around the hero at (400, 400): struck facing right, struck facing left.
    const struct {
        double x, y;
        bool right, left;
    } cases[] = {{549, 400, true, false}, {550, 400, false, false}, {489, 520, true, false},
                 {380, 400, false, true}, {381, 400, true, true},   {420, 400, true, false},
                 {419, 400, true, true},  {251, 400, false, true},  {250, 400, false, false}};
    std::vector<StrikeTarget*> targets;
    for (const auto& test : cases) {
        targets.push_back(addEnemy(Vec2(test.x + 100, test.y)));
    }
    addEnemy(Vec2(500, 400))->dead = true;
    pieces[newestReleasedSlot() + 1] = new StrikeTarget(Vec2(500, 400)); // not released yet
    hero->animation = player::swordAnimation;
    for (const int frame : {0, 4, 5, 6, 7, 9}) {
        for (const int facing : {player::facingRight, player::facingLeft}) {
            effects.clear();
            hero->frame = frame;
            hero->facing = facing;
            hero->think();
            const bool cuts = frame == 5 || frame == 6;
            EXPECT_EQ(effects, std::vector<std::string>(cuts ? 7 : 0, "death/wilhelm")) << frame;
            for (size_t i = 0; i < targets.size(); ++i) {
                const bool inFront = facing == player::facingRight ? cases[i].right : cases[i].left;
                EXPECT_EQ(targets[i]->kills, cuts && inFront ? 1 : 0) << i << " on " << frame;
                targets[i]->kills = 0;
            }
        }
    }
}

// Each of the hero's animations shows a run of consecutive pictures; the World shows a picture in
// every frame of its two.
TEST_F(HeroTest, EveryAnimationShownIsBoundToItsRunOfPictures) {
    EXPECT_EQ(loadOutput, "Loading Player\n");
    for (int animation = 0; animation < hero->animationCount; ++animation) {
        EXPECT_TRUE(animation == player::unusedIdleAnimation ||
                    isConsecutiveRun(pictureIndices(*hero, animation)))
            << animation;
    }
    EXPECT_EQ(pictureIndices(*hero, player::swordAnimation).size(), 10u) << "sword10 unseen";
    EXPECT_EQ(world->animationCount, 2);
    for (const int animation : {0, 1}) {
        const std::vector<int> shown = pictureIndices(*world, animation);
        EXPECT_EQ(std::count(shown.begin(), shown.end(), -1), 0);
        EXPECT_FALSE(shown.empty());
    }
}

} // namespace
