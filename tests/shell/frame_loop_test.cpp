// The frame loop: the frame cap, the release schedule, the state loop's end and the closing
// report. How far pieces move between frame starts the golden replays pin.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "shell/frame_pacer.h"
#include "shell/game.h"
#include "state/globals.h"

#include <algorithm>
#include <sstream>

namespace {

// Stands in an enemy slot, doing nothing but being released.
class IdlePiece : public GamePiece {
  public:
    void update() override {}
};

void frameAt(Uint32 now) {
    platform::setTestClock(now);
    runFrame();
}

// Frames start no closer than the cap allows, the wait ends when the next frame is due, and a slow
// frame is not made up for.
TEST(FramePacerTest, FramesStartOnScheduleAndASlowOneStartsItAfresh) {
    const struct {
        int fps;
        Uint32 start;
        std::vector<Uint32> work, starts;
    } cases[] = {{60, 1000, {5, 5, 5, 5, 5, 5, 5}, {1000, 1016, 1033, 1050, 1066, 1083, 1100}},
                 {100, 0, {2, 2, 55, 2, 2}, {0, 10, 20, 75, 85}},
                 {0, 500, {1, 1, 1}, {500, 501, 502}}};
    for (const auto& test : cases) {
        platform::setTestClock(test.start);
        FramePacer pacer(test.fps);
        std::vector<Uint32> starts;
        for (Uint32 ms : test.work) {
            pacer.waitForFrameStart();
            starts.push_back(platform::ticks());
            platform::advanceTestClock(ms);
        }
        EXPECT_EQ(starts, test.starts) << test.fps << " a second";
    }
}

using FrameLoopTest = hero_world::HeroWorldFixture;

TEST_F(FrameLoopTest, OneReleaseAtMostPerFrameOnceTheShrinkingIntervalHasPassed) {
    for (int slot = firstEnemySlot; slot < 12; ++slot) {
        pieces[slot] = new IdlePiece;
        pieces[slot]->kill();
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

// Closing the window ends the loop after that frame, and so does an unknown state; the report then
// reads the game's clock, truncated, with the roster gone. A dying hero takes no input, so only a
// signal ends its run.
TEST_F(FrameLoopTest, ClosingTheWindowOrASignalEndsTheLoopAndTheReportFollows) {
    for (SDL_Event pending; SDL_PollEvent(&pending);) {
    }
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
