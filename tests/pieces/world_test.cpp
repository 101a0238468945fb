// The World: its table, the camera's clamp, the background keys, the meter step and the meters.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "shell/globals.h"
#include "sprites/sprite_catalogue.h"

using namespace hero_world;
using testing_support::screenColourAt;

namespace {

class WorldTest : public HeroWorldFixture {
  protected:
    // One meter step: just past the 100 ms since the last one.
    void stepMeters() {
        testing_support::advanceFrameClock(101);
        world->animate();
    }
    static bool isColour(int x, int y, testing_support::Rgb colour) {
        const testing_support::Rgb seen = screenColourAt(x, y);
        return seen.r == colour.r && seen.g == colour.g && seen.b == colour.b;
    }
};

TEST_F(WorldTest, StartsOnTheCityWithFullMetersAndTheirWidths) {
    EXPECT_EQ(world->animationCount, 2);
    EXPECT_EQ(world->animations[0].frames[1], spriteAt(1));
    EXPECT_EQ(world->animations[1].frames[2], spriteAt(82));
    EXPECT_EQ(world->healthBarWidth, healthWidth);
    EXPECT_EQ(world->ammoBarWidth, ammoWidth);
    EXPECT_EQ(world->health, 1.0);
    EXPECT_EQ(world->ammo, 1.0);
    EXPECT_EQ(world->getScene(), 0);
    EXPECT_EQ(world->getScroll().x, 0.0);
    EXPECT_EQ(world->position.x, 0.0);
    world->changeHealth(0.25, -1);
    world->changeAmmo(0.5, 1);
    EXPECT_EQ(world->health, 0.75);
    EXPECT_EQ(world->ammo, 1.5); // no limit until the next meter step
}

TEST_F(WorldTest, MoveByKeepsTheBackgroundOverTheWindowAndScrollKeepsTheUnclampedStep) {
    world->moveBy(Motion(-5000, 0, 1, 2));
    EXPECT_EQ(world->position.x, 803.0 - cityWidth); // -1197
    EXPECT_EQ(world->getScroll().x, -5000.0);
    world->moveBy(Motion(10000, 0, 1, 2));
    EXPECT_EQ(world->position.x, 0.0);
    EXPECT_EQ(world->getScroll().x, 803.0 - cityWidth + 10000);

    world->position.x = -5;
    world->moveBy(Motion(10, 0, 1, 2));
    EXPECT_EQ(world->getScroll().x, 5.0);
    EXPECT_EQ(world->position.x, 0.0);
    world->moveBy(Motion(-3, 0, 1, 2)); // the next step starts from the clamped position
    EXPECT_EQ(world->getScroll().x, -3.0);
    EXPECT_EQ(world->position.x, -3.0);
}

TEST_F(WorldTest, BackgroundKeysSwitchAndPullANarrowerBackgroundIntoPlace) {
    world->position.x = -1500;
    setEvent(SDL_KEYDOWN, SDLK_2);
    world->handleInput();
    EXPECT_EQ(world->getScene(), 1);
    EXPECT_EQ(world->position.x, 803.0 - undergroundWidth); // -797
    world->handleInput(); // the held event repeats without further effect
    EXPECT_EQ(world->position.x, -797.0);

    world->position.x = -300;
    world->handleInput();
    EXPECT_EQ(world->position.x, -300.0);

    setEvent(SDL_KEYUP, SDLK_1);
    world->handleInput();
    EXPECT_EQ(world->getScene(), 1);
    setEvent(SDL_KEYDOWN, SDLK_3);
    world->handleInput();
    EXPECT_EQ(world->getScene(), 1);

    setEvent(SDL_KEYDOWN, SDLK_1);
    world->handleInput();
    EXPECT_EQ(world->getScene(), 0);
    EXPECT_EQ(world->position.x, -300.0);
    // The scroll the enemies use is not touched by the switch.
    EXPECT_EQ(world->getScroll().x, 0.0);
}

TEST_F(WorldTest, MeterStepRecoversAtMostOncePer100Ms) {
    world->health = 0.5;
    world->ammo = 0.005;
    testing_support::advanceFrameClock(100);
    world->animate();
    EXPECT_EQ(world->health, 0.5);
    stepMeters(); // 101 ms after the start
    EXPECT_DOUBLE_EQ(world->health, 0.5025);
    EXPECT_EQ(world->ammo, 0.01);
    EXPECT_EQ(world->lastFrameTick, startTick + 201);

    world->health = 0.999;
    world->ammo = 0.995;
    stepMeters();
    EXPECT_EQ(world->health, 1.0);
    EXPECT_EQ(world->ammo, 1.0);
    EXPECT_EQ(hero->animation, player::idleAnimation);
}

TEST_F(WorldTest, SpentHealthStaysZeroAndKillsTheHeroAtEveryStep) {
    world->health = 0.002;
    stepMeters();
    EXPECT_EQ(world->health, 0.0);
    EXPECT_EQ(hero->animation, player::dyingAnimation);

    hero->animation = player::idleAnimation; // e.g. a jump phase painted over the dying pose
    stepMeters();
    EXPECT_EQ(world->health, 0.0);
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameOverStarts, 1);
}

TEST_F(WorldTest, DrawCutsEachMeterToItsFraction) {
    world->health = 0.333; // 200 x 0.333: the left 66 columns
    world->ammo = 0.5;     // 150 x 0.5: the left 75 columns
    world->draw();
    EXPECT_TRUE(isColour(220, 540, healthColour));
    EXPECT_TRUE(isColour(220 + 65, 547, healthColour));
    EXPECT_FALSE(isColour(220 + 66, 540, healthColour));
    EXPECT_TRUE(isColour(220 + 74, 562, ammoColour));
    EXPECT_FALSE(isColour(220 + 75, 562, ammoColour));
    EXPECT_FALSE(isColour(220, 548, healthColour)); // full height, no more

    SDL_FillRect(screen, nullptr, 0);
    world->health = -0.2;
    world->draw();
    EXPECT_FALSE(isColour(220, 540, healthColour));
    EXPECT_TRUE(isColour(220, 562, ammoColour));
}

} // namespace
