// Test entry: the real SDL on its dummy drivers, an 800x600 display surface, the test clock.
#include "platform/clock.h"
#include "render/blit_queue.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace {

// The option GoogleTest starts a death test's own process with, in the thread-safe style.
constexpr std::string_view deathTestOption = "--gtest_internal_run_death_test";

class SdlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(800, 600, 32, SDL_SWSURFACE);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        platform::useTestClock(0);
        connectFrameBlits(); // as the game's start-up does
    }
    void TearDown() override { SDL_Quit(); }
};

// The game ends its process from deep inside (a game over, a replay's end): by mistake, halfway
// through a test, that would pass with status 0, so it fails the run (death tests' exits aside).
pid_t runnerProcess = 0;
bool testsFinished = false;

void failUnfinishedRun() {
    if (!testsFinished && getpid() == runnerProcess) {
        std::fputs("the test process exited before its tests finished\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

bool isDeathTestProcess(int argc, char** argv) {
    return std::any_of(argv + 1, argv + argc,
                       [](std::string_view option) { return option.starts_with(deathTestOption); });
}

} // namespace

int main(int argc, char** argv) {
    const testing_support::TemporaryFolder home; // never the player's own best runs or settings
    setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    if (!isDeathTestProcess(argc, argv)) {
        runnerProcess = getpid();
        std::atexit(failUnfinishedRun);
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SdlEnvironment);
    const int status = RUN_ALL_TESTS();
    testsFinished = true;
    return status;
}
