// The World: the camera's clamp, the background keys, spent health and the dying hero, the meters.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "state/globals.h"

using namespace hero_world;
using testing_support::Rgb;

namespace {

// The background must cover the 803 px the window can show.
constexpr double coveredWidth = 803.0;

class WorldTest : public HeroWorldFixture {
  protected:
    static bool isColour(int x, int y, Rgb colour) {
        const Rgb seen = testing_support::screenColourAt(x, y);
        return seen.r == colour.r && seen.g == colour.g && seen.b == colour.b;
    }
};

TEST_F(WorldTest, MoveByKeepsTheBackgroundOverTheWindowWhileTheScrollKeepsTheWholeStep) {
    const double clampedLeft = coveredWidth - cityWidth;
    const struct {
        double start, step, position, scroll;
    } cases[] = {{0, -5000, clampedLeft, -5000},
                 {clampedLeft, 10000, 0, clampedLeft + 10000},
                 {-5, 10, 0, 5},
                 {0, -3, -3, -3}};
    for (const auto& test : cases) {
        world->position.x = test.start;
        world->moveBy(Motion(test.step, 0, 1, 2));
        EXPECT_EQ(world->position.x, test.position) << test.start << " by " << test.step;
        EXPECT_EQ(world->getScroll().x, test.scroll) << test.start << " by " << test.step;
    }
}

TEST_F(WorldTest, BackgroundKeysSwitchScenesAndPullANarrowerBackgroundIntoPlace) {
    const struct {
        Uint8 type;
        SDLKey key;
        double start;
        int scene;
        double position;
    } cases[] = {{SDL_KEYDOWN, SDLK_2, -1500, 1, coveredWidth - undergroundWidth},
                 {SDL_KEYUP, SDLK_1, -300, 1, -300},
                 {SDL_KEYDOWN, SDLK_3, -300, 1, -300},
                 {SDL_KEYDOWN, SDLK_1, -300, 0, -300}};
    for (const auto& test : cases) {
        setEvent(test.type, test.key);
        world->position.x = test.start;
        world->handleInput();
        EXPECT_EQ(world->getScene(), test.scene) << SDL_GetKeyName(test.key);
        EXPECT_EQ(world->position.x, test.position) << SDL_GetKeyName(test.key);
    }
    EXPECT_EQ(world->getScroll().x, 0.0) << "the enemies' scroll is not touched by a switch";
}

// The dying hero takes no input, the window's close included, and goes on being updated.
TEST_F(WorldTest, SpentHealthKillsTheHeroAtEveryStepWhoStartsTheGameOverOnceAndTakesNoInput) {
    world->health = 0.002;
    for (const SDLKey key : {SDLK_LEFT, SDLK_LCTRL, SDLK_SPACE}) {
        hero->animation = player::idleAnimation; // e.g. a jump phase painted over the dying pose
        testing_support::advanceFrameClock(101);
        world->animate();
        EXPECT_EQ(world->health, 0.0);
        EXPECT_EQ(hero->animation, player::dyingAnimation);
        setEvent(SDL_KEYDOWN, key);
        inputAfter(20);
    }
    setEvent(SDL_QUIT);
    inputAfter(20);
    EXPECT_EQ(gameOverStarts, 1);
    EXPECT_TRUE(hero->motion.vx == 0.0 && !hero->jumping && effects.empty());
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameState, stateStarting);
    EXPECT_TRUE(hero->isAlive());
}

TEST_F(WorldTest, DrawCutsEachMeterToItsFraction) {
    world->health = 0.333; // 200 x 0.333: the left 66 columns
    world->ammo = 0.5;     // 150 x 0.5: the left 75 columns
    world->draw();
    EXPECT_TRUE(isColour(10, 514, barColour) && isColour(17, 521, barColour));
    EXPECT_TRUE(isColour(220, 540, healthEdge)) << "the meter is cut from its left edge";
    EXPECT_TRUE(isColour(221, 540, healthColour));
    EXPECT_TRUE(isColour(220 + 65, 547, healthColour));
    EXPECT_FALSE(isColour(220 + 66, 540, healthColour));
    EXPECT_FALSE(isColour(221, 548, healthColour));
    EXPECT_TRUE(isColour(220 + 74, 562, ammoColour));
    EXPECT_FALSE(isColour(220 + 75, 562, ammoColour));
    SDL_FillRect(screen, nullptr, 0);
    world->health = -0.2;
    world->draw();
    EXPECT_FALSE(isColour(220, 540, healthEdge));
}

} // namespace
