// Test entry: the real SDL on its dummy drivers, an 800x600 display surface, the test clock.
#include "platform/clock.h"
#include "shell/globals.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SdlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(800, 600, 32, SDL_SWSURFACE);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        platform::useTestClock(0);
    }
    void TearDown() override { SDL_Quit(); }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SdlEnvironment);
    return RUN_ALL_TESTS();
}
