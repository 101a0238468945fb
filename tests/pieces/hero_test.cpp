// The hero: keys let go, the swing and its sound, the q key, the jump and the sword's reach.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "replay/session.h"
#include "state/globals.h"

using namespace hero_world;

namespace {

// A settled hero runs at 800 px/s: a 20 ms frame moves it 16 px.
constexpr Uint32 frameMs = 20;
constexpr double step = 16.0;

class HeroTest : public HeroWorldFixture {
  protected:
    // The input step on this event, in a frame of frameMs; the first one sets the run speed.
    void press(Uint8 type, SDLKey key = SDLK_UNKNOWN) {
        setEvent(type, key);
        inputAfter(frameMs);
    }
};

// What each key does when pressed and let go is walked by the tour replay (golden.tour), whose
// digest holds the hero's motion, facing, animation, lift and sound requests. Not walked there:
// letting go of a key while moving on both axes, the right Ctrl key, and closing the window.
TEST_F(HeroTest, ReleasingAKeyStopsItsOwnAxisEvenWithItsOtherKeyHeld) {
    const struct {
        SDLKey key;
        bool stopsX, stopsY;
    } cases[] = {{SDLK_RIGHT, true, false},  {SDLK_KP6, true, false}, {SDLK_LEFT, true, false},
                 {SDLK_KP4, true, false},    {SDLK_UP, false, true},  {SDLK_KP8, false, true},
                 {SDLK_DOWN, false, true},   {SDLK_KP2, false, true}, {SDLK_LCTRL, false, false},
                 {SDLK_SPACE, false, false}, {SDLK_p, false, false},  {SDLK_RCTRL, false, false}};
    for (const auto& test : cases) {
        hero->motion.vx = 5.0;
        hero->motion.vy = -3.0;
        press(SDL_KEYUP, test.key);
        EXPECT_EQ(hero->motion.vx, test.stopsX ? 0.0 : 5.0) << SDL_GetKeyName(test.key);
        EXPECT_EQ(hero->motion.vy, test.stopsY ? 0.0 : -3.0) << SDL_GetKeyName(test.key);
    }
    press(SDL_KEYDOWN, SDLK_RCTRL);
    EXPECT_FALSE(hero->jumping) << "only the left Ctrl key jumps";
    press(SDL_QUIT);
    EXPECT_EQ(gameState, stateQuit);
}

TEST_F(HeroTest, SwingAsksForItsSoundIgnoresInputAndEndsOnItsTenthStep) {
    press(SDL_NOEVENT);
    press(SDL_KEYDOWN, SDLK_RIGHT);
    press(SDL_KEYDOWN, SDLK_SPACE);
    testing_support::CoutCapture
        quiet; // the swing's report: every golden replay with a swing holds its lines
    const SDLKey ignored[] = {SDLK_RIGHT, SDLK_SPACE, SDLK_LCTRL};
    for (int frame = 1; frame <= 9; ++frame) {
        press(frame % 2 ? SDL_KEYUP : SDL_KEYDOWN, ignored[frame % 3]);
        testing_support::advanceFrameClock(101);
        hero->animate();
        EXPECT_EQ(hero->animation, player::swordAnimation);
    }
    press(SDL_QUIT);
    EXPECT_EQ(hero->motion.vx, step) << "a running hero slides on through the swing";
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(gameState, stateStarting);
    testing_support::advanceFrameClock(101);
    hero->animate();
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(effects, std::vector<std::string>{"sword/slash"}) << "one sound per swing";
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

} // namespace
