// The frame clock: every piece of a frame moves by its speed times the time between the starts of
// this frame and the one before, however long the drawing and the flip take meanwhile.
#include "pieces/attacker.h"
#include "pieces/crawler.h"
#include "pieces/enemy_fixture.h"
#include "pieces/hero_world_fixture.h"
#include "pieces/shooter.h"
#include "platform/clock.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Frames start this far apart, in ms.
constexpr Uint32 frameStarts[] = {10000, 10016, 10032, 10056, 10057};

// Stands in a piece slot and makes the clock run on while it "draws", as a slow blit would.
class SlowDrawing : public GamePiece {
  public:
    explicit SlowDrawing(Uint32 ms) : ms(ms) {}
    void update() override { platform::advanceTestClock(ms); }
    Uint32 ms;
};

void emptyEventQueue() {
    SDL_Event pending;
    while (SDL_PollEvent(&pending)) {
    }
}

class EnemyFrameClockTest : public enemy_testing::EnemyFixture {};

TEST_F(EnemyFrameClockTest, EveryEnemyMovesBySpeedTimesTheTimeBetweenFrameStarts) {
    // Far from the hero and from each other: they only walk, left toward the hero.
    GamePiece* walkers[] = {release<attacker>(2, Vec2(1000, 200), 450),
                            release<crawler>(4, Vec2(1400, 300), 100),
                            release<shooter>(6, Vec2(1800, 450), 275)};
    pieces[3] = new SlowDrawing(5);
    pieces[5] = new SlowDrawing(5);
    hero->position = Vec2(400, 400);
    // The hero is drawn last and the flip follows: the clock runs on meanwhile.
    class SlowHero : public enemy_testing::FakeHero {
        void update() override { platform::advanceTestClock(9); }
    };
    delete pieces[heroSlot];
    pieces[heroSlot] = new SlowHero;
    emptyEventQueue();

    lastFrameEndTick = frameStarts[0] - 16;
    lastSpawnTick = frameStarts[3] - releaseInterval(frameStarts[3]) - 1; // due in that frame
    Uint32 previousStart = lastFrameEndTick;
    for (Uint32 start : frameStarts) {
        std::vector<double> before;
        for (GamePiece* walker : walkers) {
            before.push_back(walker->position.x);
        }
        platform::setTestClock(start);
        runFrame();
        const double interval = start - previousStart;
        for (size_t i = 0; i < before.size(); ++i) {
            const double expected = before[i] + interval * -walkers[i]->motion.speed / 1000.0;
            EXPECT_EQ(walkers[i]->position.x, expected) << "enemy " << i << ", frame at " << start;
        }
        EXPECT_EQ(lastFrameEndTick, start);
        previousStart = start;
    }
    // The release schedule reads the same moment: the release is stamped with the frame's start.
    EXPECT_EQ(lastSpawnTick, frameStarts[3]);
}

class HeroFrameClockTest : public hero_world::HeroWorldFixture {};

TEST_F(HeroFrameClockTest, TheHeroRunsBySpeedTimesTheTimeBetweenFrameStarts) {
    pieces[2] = new SlowDrawing(6);
    spawnCounter = pieceCount - 2;
    emptyEventQueue();
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);

    lastFrameEndTick = frameStarts[0] - 16;
    lastSpawnTick = frameStarts[0];
    Uint32 previousStart = lastFrameEndTick;
    for (Uint32 start : frameStarts) {
        const double before = hero->position.x;
        const double speed = hero->motion.speed; // the input step reads it before it sets it
        platform::setTestClock(start);
        runFrame();
        const double interval = start - previousStart;
        EXPECT_EQ(hero->position.x, before + interval * speed / 1000.0) << "frame at " << start;
        previousStart = start;
    }
}

} // namespace
