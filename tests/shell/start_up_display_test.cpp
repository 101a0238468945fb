// Start-up on a machine with no display: a clear refusal, not a game that runs where nobody can
// see or steer it.
#include "shell/game.h"
#include "support/test_support.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(StartUpDisplayTest, WithoutAnyDisplayStartUpFailsInsteadOfDrawingIntoMemory) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing_support::TemporaryFolder folder;
    const std::string runtimeFolder = folder.path().string();
    EXPECT_EXIT(
        {
            SDL_Quit();
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("SDL_VIDEODRIVER");
            // An empty runtime folder: no Wayland compositor, and no complaint about its absence.
            setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
            testing_support::WorkingFolder inside(runtimeFolder);
            startUp();
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "^Unable to init SDL: no display");
}

} // namespace
