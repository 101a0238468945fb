// The pieces' fixtures: the real World and hero over small pictures, or stand-ins for the enemies.
#pragma once

#include "pieces/game_piece.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hero_world {

constexpr int cityWidth = 2000;
constexpr int undergroundWidth = 1600;
constexpr int healthWidth = 200;
constexpr int ammoWidth = 150;
constexpr testing_support::Rgb barColour{200, 200, 200};
constexpr testing_support::Rgb healthColour{255, 0, 0};
constexpr testing_support::Rgb healthEdge{255, 0, 9}; // the health meter's left column
constexpr testing_support::Rgb ammoColour{0, 255, 0};
constexpr Uint32 startTick = 10000;

// An enemy stand-in: counts the sword's kill calls and, like a dying enemy, stays alive.
struct StrikeTarget : GamePiece {
    explicit StrikeTarget(Vec2 at) { position = at; }
    void kill() override { ++kills; }
    int kills = 0;
};

// The clock at startTick, the last frame ending then, a clean shell, a black screen, no event
// waiting; after, the piece table's pieces deleted and the catalogue and the hero's sounds reset.
class PieceTableFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes a picture of `colour` with its left column `edge` and loads it into entry `index`.
    void loadPicture(int index, int width, int height, testing_support::Rgb colour,
                     testing_support::Rgb edge, Uint32 colourKey);

    testing_support::TemporaryFolder pictures;
};

class HeroWorldFixture : public PieceTableFixture {
  protected:
    void SetUp() override;

    StrikeTarget* addEnemy(Vec2 worldPosition) { // releases one more enemy slot
        auto* enemy = new StrikeTarget(worldPosition);
        --spawnCounter;
        pieces[newestReleasedSlot()] = enemy;
        return enemy;
    }
    // The hero's input step on that event in a frame of `frameMs`; the first sets the run speed.
    void press(Uint8 type, SDLKey key = SDLK_UNKNOWN, Uint32 frameMs = 20) {
        frameEvent = testing_support::keyEvent(type, key);
        lastFrameEndTick = platform::ticks() - frameMs;
        hero->handleInput();
    }

    World* world = nullptr;
    player* hero = nullptr;
    std::vector<std::string> effects; // "category/name" of every effect requested
    int gameOverStarts = 0;
};

} // namespace hero_world

namespace enemy_testing {

// The World as the enemies see it: a settable scroll, and the health the strikes took, from 0.
struct FakeWorld : GamePiece {
    Vec2 scroll;
    double health = 0;

    Vec2 getScroll() override { return scroll; }
    void changeHealth(double amount, int sign) override { health += sign * amount; }
    void update() override {}
};

struct FakeHero : GamePiece { // the hero as the enemies see it: a screen position, a lift
    void update() override {}
};

// Enemy catalogue entry `index`: 8 px wide, (index - 32) px high, red the index, blue 255 down its
// left column, so that a test tells which picture was drawn, where, and that it was not mirrored.
constexpr int pictureWidth = 8;
inline int pictureHeight(int index) {
    return index - 32;
}

class EnemyFixture : public hero_world::PieceTableFixture { // stand-ins in slots 0 and 1
  protected:
    void SetUp() override;

    static void wait(Uint32 ms) { testing_support::advanceFrameClock(ms); }

    FakeWorld* world = nullptr;
    FakeHero* hero = nullptr;
};

} // namespace enemy_testing
