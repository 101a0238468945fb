// The frame loop: the release schedule, frame time measured between frame starts, the state
// loop's end and the closing report.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <algorithm>
#include <sstream>

namespace {

// Stands in an enemy slot, doing nothing but being released.
class IdlePiece : public GamePiece {
  public:
    void update() override {}
};

void emptyEventQueue() {
    SDL_Event pending;
    while (SDL_PollEvent(&pending)) {
    }
}

void frameAt(Uint32 now) {
    platform::setTestClock(now);
    runFrame();
}

class FrameLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setTestClock(0);
        resetShellGlobals();
        for (int slot = 0; slot < 12; ++slot) {
            pieces[slot] = new IdlePiece;
            if (slot >= firstEnemySlot) {
                pieces[slot]->kill();
            }
        }
        emptyEventQueue();
    }
    void TearDown() override {
        destroyRoster();
        resetShellGlobals();
    }
};

TEST_F(FrameLoopTest, OneReleaseAtMostPerFrameOnceTheShrinkingIntervalHasPassed) {
    const std::pair<Uint32, Uint32> intervals[] = {{0, 1000},   {35000, 900}, {349999, 1},
                                                   {350000, 0}, {350350, 0},  {4000000000u, 0}};
    for (const auto& [now, interval] : intervals) {
        EXPECT_EQ(releaseInterval(now), interval) << now;
    }
    const struct {
        int spawnCounter;
        Uint32 lastSpawn, now;
        int spawnCounterAfter;
    } cases[] = {{pieceCount - 1, 0, 998, pieceCount - 1},
                 {pieceCount - 1, 0, 999, pieceCount - 2},
                 {pieceCount - 2, 100000, 100001, pieceCount - 2},
                 {pieceCount - 2, 100000, 100716, pieceCount - 3},
                 {pieceCount - 3, 400000, 400000, pieceCount - 3},
                 {pieceCount - 3, 400000, 400001, pieceCount - 4},
                 {3, 0, 2000, 2},
                 {2, 0, 2000, 1},
                 {1, 0, 2000, 1}};
    for (const auto& test : cases) {
        spawnCounter = test.spawnCounter;
        lastSpawnTick = test.lastSpawn;
        frameAt(test.now);
        EXPECT_EQ(spawnCounter, test.spawnCounterAfter) << test.now;
        const bool released = test.spawnCounterAfter < test.spawnCounter;
        EXPECT_EQ(lastSpawnTick, released || test.spawnCounter == 1 ? test.now : test.lastSpawn);
        if (released && newestReleasedSlot() < 12) {
            EXPECT_TRUE(pieces[newestReleasedSlot()]->isAlive()) << test.now;
        }
    }
}

// Stands in a piece slot and makes the clock run on while it "draws", as a slow blit would.
class SlowDrawing : public GamePiece {
  public:
    void update() override { platform::advanceTestClock(6); }
};

using HeroFrameLoopTest = hero_world::HeroWorldFixture;

TEST_F(HeroFrameLoopTest, TheHeroRunsBySpeedTimesTheTimeBetweenFrameStartsDrawingIncluded) {
    pieces[2] = new SlowDrawing;
    spawnCounter = pieceCount - 2;
    emptyEventQueue();
    setEvent(SDL_KEYDOWN, SDLK_RIGHT);
    lastFrameEndTick = 10000 - 16;
    lastSpawnTick = 10000;
    Uint32 previousStart = lastFrameEndTick;
    for (Uint32 start : {10000, 10016, 10032, 10056, 10057}) {
        const double before = hero->position.x;
        const double speed = hero->motion.speed; // the input step reads it before it sets it
        frameAt(start);
        EXPECT_EQ(hero->position.x, before + (start - previousStart) * speed / 1000.0) << start;
        previousStart = start;
    }
}

// Closing the window ends the loop after that frame, and so does an unknown state; the report then
// reads the game's clock, truncated, with the roster gone. A dying hero takes no input, so only a
// signal ends its run.
TEST_F(HeroFrameLoopTest, ClosingTheWindowOrASignalEndsTheLoopAndTheReportFollows) {
    emptyEventQueue();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    gameState = statePlaying;
    completedCount = 150;
    platform::setTestClock(83456);
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    gameState = 7;
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    hero->kill();
    gameState = statePlaying;
    platform::requestEnd(); // also spares the closing pause its wait for Enter
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    std::ostringstream report;
    finishRun(report);
    platform::forgetEndRequest();
    EXPECT_EQ(report.str(),
              "You completed 1 of the endurance\nYou survived for 83 seconds\nGAME OVER\n");
    EXPECT_EQ(std::count(std::begin(pieces), std::end(pieces), nullptr), pieceCount + 1);
    world = nullptr; // destroyed with the roster
    hero = nullptr;
}

} // namespace
