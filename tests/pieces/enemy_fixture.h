// Enemy tests' common ground: stand-ins for the World and the hero in slots 0 and 1, and small
// pictures in the catalogue entries the enemy kinds draw.
#pragma once

#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "shell/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace enemy_testing {

constexpr Uint32 startTime = 10000;

// The World as the enemies see it: a settable scroll, and every changeHealth call written down.
class FakeWorld : public GamePiece {
  public:
    struct HealthChange {
        double amount;
        int sign;
    };
    Vec2 scroll;
    std::vector<HealthChange> healthChanges;

    Vec2 getScroll() override { return scroll; }
    void changeHealth(double amount, int sign) override { healthChanges.push_back({amount, sign}); }
    void update() override {}
};

// The hero as the enemies see it: a position (screen coordinates) and a lift.
class FakeHero : public GamePiece {
  public:
    void update() override {}
};

// Catalogue entry `index` is a picture 8 px wide and (index - 32) px high whose red channel is
// the index, with a marker (blue 255) down its left column, so a test can tell which picture
// was drawn, where, and that it was not mirrored.
constexpr int pictureWidth = 8;
int pictureHeight(int index);
// Red channel of the screen pixel at (x, y): the catalogue index drawn there, or 0.
int pictureIndexAt(int x, int y);

// The clock at startTime with the last frame ending then, a black screen, the stand-ins in
// slots 0 and 1, and the enemy pictures loaded. Everything put in the piece table is deleted
// afterwards.
class EnemyFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Builds an Enemy in `slot`, releases it at `at` and makes sure `slot` is in play.
    template <class Enemy> Enemy* release(int slot, Vec2 at, double speed = 300) {
        Enemy* enemy = new Enemy(Vec2(0, 0));
        pieces[slot] = enemy;
        enemy->setSpeed(speed);
        enemy->setPosition(at);
        enemy->activate();
        if (newestReleasedSlot() < slot) {
            spawnCounter = pieceCount - slot;
        }
        return enemy;
    }
    // Moves the clock on by `ms`.
    static void wait(Uint32 ms) { testing_support::advanceFrameClock(ms); }

    FakeWorld* world = nullptr;
    FakeHero* hero = nullptr;

  private:
    testing_support::TemporaryFolder folder;
};

} // namespace enemy_testing
