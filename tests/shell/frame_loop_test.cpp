// The frame loop: release schedule, update order, the lasting frame event, the state loop.
#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::vector<int> updateLog;

// A piece that notes its slot each time the frame loop updates it.
class RecordingPiece : public GamePiece {
  public:
    explicit RecordingPiece(int slot) : slot(slot) {}
    void update() override {
        updateLog.push_back(slot);
        if (quitOnUpdate) {
            gameState = stateQuit;
        }
    }
    int slot;
    bool quitOnUpdate = false;
};

class FrameLoopTest : public ::testing::Test {
  protected:
    static constexpr int tableSize = 12;

    void SetUp() override {
        platform::setTestClock(0);
        resetShellGlobals();
        updateLog.clear();
        for (int slot = 0; slot < tableSize; ++slot) {
            pieces[slot] = new RecordingPiece(slot);
            if (slot >= firstEnemySlot) {
                pieces[slot]->kill();
            }
        }
        SDL_Event pending;
        while (SDL_PollEvent(&pending)) {
        }
    }
    void TearDown() override {
        destroyRoster();
        resetShellGlobals();
    }

    // Runs one frame starting at timer reading `now`.
    void frameAt(Uint32 now) {
        platform::setTestClock(now);
        runFrame();
    }
};

TEST_F(FrameLoopTest, BeforeTheFirstReleaseOnlyTheWorldAndTheHeroUpdate) {
    frameAt(998); // the interval is 998 ms at this reading: not yet passed
    EXPECT_EQ(updateLog, (std::vector<int>{0, 1}));
    EXPECT_EQ(spawnCounter, pieceCount - 1);
    EXPECT_EQ(lastFrameEndTick, 998u);
    frameAt(999);
    EXPECT_EQ(newestReleasedSlot(), 2);
}

TEST_F(FrameLoopTest, FirstFourReleasesTakeSlotsInOrderToTheirSpawnPoints) {
    const Vec2 expected[] = {{-200, 500}, {5000, 500}, {1300, 140}, {2578, 140}};
    Uint32 now = 2000;
    for (int slot = 2; slot <= 5; ++slot, now += 1000) {
        frameAt(now);
        EXPECT_EQ(newestReleasedSlot(), slot);
        EXPECT_TRUE(pieces[slot]->isAlive());
        EXPECT_EQ(pieces[slot]->position.x, expected[slot - 2].x) << "slot " << slot;
        EXPECT_EQ(pieces[slot]->position.y, expected[slot - 2].y) << "slot " << slot;
        EXPECT_EQ(lastSpawnTick, now);
    }
    EXPECT_FALSE(pieces[6]->isAlive());
}

TEST_F(FrameLoopTest, NewestEnemyUpdatesFirstAndTheHeroLast) {
    frameAt(2000);
    frameAt(3000);
    updateLog.clear();
    frameAt(4000);
    EXPECT_EQ(updateLog, (std::vector<int>{0, 4, 3, 2, 1}));
}

TEST_F(FrameLoopTest, AtMostOneReleasePerFrameHoweverLongTheFrame) {
    frameAt(100000);
    EXPECT_EQ(newestReleasedSlot(), 2);
    frameAt(100001); // the interval at 100 s is 715 ms
    EXPECT_EQ(newestReleasedSlot(), 2);
}

TEST_F(FrameLoopTest, IntervalShrinksWithPlayAndStopsAtZero) {
    EXPECT_EQ(releaseInterval(0), 1000u);
    EXPECT_EQ(releaseInterval(35000), 900u);
    EXPECT_EQ(releaseInterval(349999), 1u);
    EXPECT_EQ(releaseInterval(350000), 0u);
    EXPECT_EQ(releaseInterval(350349), 0u);
    EXPECT_EQ(releaseInterval(350350), 0u) << "no wrap to a huge interval";
    EXPECT_EQ(releaseInterval(4000000000u), 0u);

    lastSpawnTick = 400000;
    frameAt(400000);
    EXPECT_EQ(newestReleasedSlot(), 1) << "no release in the same millisecond";
    frameAt(400001);
    EXPECT_EQ(newestReleasedSlot(), 2);
    frameAt(400002);
    EXPECT_EQ(newestReleasedSlot(), 3);
}

TEST_F(FrameLoopTest, SpawnCounterStopsAtOneAfterTheLastRelease) {
    spawnCounter = 3; // slot 9997 released last
    frameAt(2000);
    EXPECT_EQ(spawnCounter, 2);
    frameAt(4000);
    EXPECT_EQ(spawnCounter, 1);
    frameAt(6000);
    EXPECT_EQ(spawnCounter, 1);
}

TEST_F(FrameLoopTest, TheLastEventStaysCurrentUntilTheNextArrives) {
    SDL_Event keyDown{};
    keyDown.type = SDL_KEYDOWN;
    keyDown.key.keysym.sym = SDLK_RIGHT;
    ASSERT_EQ(SDL_PushEvent(&keyDown), 0);
    frameAt(10);
    EXPECT_EQ(frameEvent.type, SDL_KEYDOWN);
    frameAt(20);
    frameAt(30);
    EXPECT_EQ(frameEvent.type, SDL_KEYDOWN);
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT);

    SDL_Event keyUp = keyDown;
    keyUp.type = SDL_KEYUP;
    SDL_PushEvent(&keyUp);
    frameAt(40);
    EXPECT_EQ(frameEvent.type, SDL_KEYUP);
}

TEST_F(FrameLoopTest, StateLoopEndsAfterTheFrameThatAskedToQuit) {
    static_cast<RecordingPiece*>(pieces[heroSlot])->quitOnUpdate = true;
    gameState = statePlaying;
    platform::setTestClock(500);
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    EXPECT_EQ(updateLog, (std::vector<int>{0, 1}));

    gameState = 7; // an unknown state also ends the loop
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
}

TEST(ReportTest, ThreeLinesWithTruncatedFigures) {
    completedCount = 0;
    std::ostringstream first;
    writeReport(first, 83456);
    EXPECT_EQ(first.str(),
              "You completed 0 of the endurance\nYou survived for 83 seconds\nGAME OVER\n");

    completedCount = 2599;
    std::ostringstream second;
    writeReport(second, 999);
    EXPECT_EQ(second.str(),
              "You completed 25 of the endurance\nYou survived for 0 seconds\nGAME OVER\n");
    completedCount = 0;
}

} // namespace
