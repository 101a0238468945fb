// Closing the window: the state loop ends after that frame, the roster goes, the report follows.
#include "../pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

using EndOfRunTest = hero_world::HeroWorldFixture;

TEST_F(EndOfRunTest, QuitEventEndsTheLoopAndPrintsTheThreeReportLines) {
    SDL_Event pending;
    while (SDL_PollEvent(&pending)) {
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    gameState = statePlaying;
    completedCount = 150;
    platform::setTestClock(83456);
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);

    const int savedInput = dup(STDIN_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO); // no terminal: the closing pause does not wait
    std::ostringstream report;
    finishRun(report);
    dup2(savedInput, STDIN_FILENO);
    close(null);
    close(savedInput);

    EXPECT_EQ(report.str(),
              "You completed 1 of the endurance\nYou survived for 83 seconds\nGAME OVER\n");
    for (GamePiece* piece : pieces) {
        EXPECT_EQ(piece, nullptr);
    }
    world = nullptr; // destroyed with the roster
    hero = nullptr;
}

// A dying hero takes no input, so nothing from the queue ends the run; a signal still does.
TEST_F(EndOfRunTest, ASignalEndsTheLoopEvenWhileTheHeroDies) {
    hero->kill();
    ASSERT_EQ(gameOverStarts, 1);
    gameState = statePlaying;
    platform::requestEnd();
    stateLoop();
    platform::forgetEndRequest();
    EXPECT_EQ(gameState, stateQuit);
}

} // namespace
