// The pause on the test clock: game time stands still under the banner, the shell's keys in play
// and while paused, the pad read meanwhile, and a dying hero cannot pause.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "replay/session.h"
#include "shell/game.h"
#include "shell/pause.h"
#include "shell/run_results.h"
#include "shell/shell_controls.h"
#include "state/globals.h"

#include <dlfcn.h>

#include <atomic>
#include <thread>

namespace {

constexpr Uint32 pauseLength = 5000;
constexpr int padStartButton = 7;
constexpr Uint32 sdl2Joysticks = 0x200; // SDL 2's own flag for its joystick subsystem

SDL_Event event(Uint8 type, SDLKey key = SDLK_UNKNOWN, Uint8 gain = 0) {
    SDL_Event made{};
    made.type = type;
    if (type == SDL_ACTIVEEVENT) {
        made.active.gain = gain;
        made.active.state = SDL_APPINPUTFOCUS;
    } else {
        made.key.keysym.sym = key;
    }
    return made;
}

bool fullscreen() {
    return (screen->flags & SDL_FULLSCREEN) != 0;
}

int colourAt(int x, int y) {
    const testing_support::Rgb colour = testing_support::screenColourAt(x, y);
    return colour.r << 16 | colour.g << 8 | colour.b;
}

// SDL 1.2 runs on SDL 2 here, whose virtual joystick stands in for a pad.
template <class Function> Function sdl2(const char* name) {
    return reinterpret_cast<Function>(dlsym(dlopen("libSDL2-2.0.so.0", RTLD_NOW), name));
}

class PauseTest : public hero_world::HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        for (SDL_Event pending; SDL_PollEvent(&pending);) {
        }
        lastFrameEndTick = hero_world::startTick - 16;
        lastSpawnTick = hero_world::startTick;
        forgetRunResults();
    }
    void TearDown() override {
        endPause();
        releasePauseBanner();
        replay::stop();
        HeroWorldFixture::TearDown();
    }
    void frameAt(Uint32 now, SDL_Event arriving = event(SDL_NOEVENT)) {
        if (arriving.type != SDL_NOEVENT) {
            SDL_PushEvent(&arriving);
        }
        platform::setTestClock(now);
        runFrame();
    }
};

TEST_F(PauseTest, GameTimeStandsStillWhilePausedAndNoPauseOnceTheHeroHasDied) {
    frameAt(10000, event(SDL_KEYDOWN, SDLK_RIGHT));
    frameAt(10016);
    frameAt(10032, event(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_TRUE(pauseRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT) << "Esc is the shell's, not the frame's";
    // The banner shows centred over the last frame, its key colour letting the frame through.
    std::filesystem::create_directory(pictures.path() / "images");
    testing_support::writeBmp24(pictures.path() / "images/paused.bmp", 2, 1,
                                {{0, 30, 255}, {9, 9, 9}});
    testing_support::WorkingFolder inside(pictures.path());
    loadPauseBanner();
    const int under = colourAt(399, 299);
    ASSERT_TRUE(beginPause());
    EXPECT_EQ(colourAt(399, 299), under);
    EXPECT_EQ(colourAt(400, 299), 0x090909);
    platform::advanceTestClock(pauseLength);
    endPause();
    const double before = hero->position.x;
    const double healthBefore = world->health;
    const int releasedBefore = newestReleasedSlot();
    frameAt(10048 + pauseLength);
    EXPECT_EQ(frameTick, 10048u) << "the paused time is left out of the game's clock";
    EXPECT_EQ(runGameTime(), 48u) << "and out of the clock on the screen";
    EXPECT_EQ(replay::reportReading(), 10048u) << "and out of the seconds survived";
    EXPECT_EQ(newestReleasedSlot(), releasedBefore);
    EXPECT_EQ(world->health, healthBefore);
    EXPECT_EQ(hero->position.x, before + 16.0 * hero->motion.speed / 1000.0);
    hero->kill();
    requestPause();
    EXPECT_FALSE(beginPause()) << "no pause once the hero has died";
    EXPECT_FALSE(pauseRequested());
}

// The pad is read while paused; were it not, a signal would end the pause a second later.
TEST_F(PauseTest, ThePadsStartButtonEndsAPause) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1); // the test window has no focus
    ASSERT_EQ(sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(sdl2Joysticks), 0);
    const int index = sdl2<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(1, 2, 8, 1);
    void* pad = sdl2<void* (*)(int)>("SDL_JoystickOpen")(index);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    ASSERT_TRUE(platform::openGamepad());
    sdl2<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualButton")(pad, padStartButton, 1);
    std::atomic<bool> resumed{false};
    std::thread watchdog([&] {
        while (!resumed && platform::ticks() < hero_world::startTick + 1000) {
            std::this_thread::yield();
        }
        if (!resumed) {
            platform::requestEnd();
        }
    });
    pauseUntilResumed();
    resumed = true;
    watchdog.join();
    EXPECT_FALSE(platform::endRequested());
    platform::forgetEndRequest();
    platform::closeGamepad();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    sdl2<void (*)(Uint32)>("SDL_QuitSubSystem")(sdl2Joysticks); // closes and detaches the pad
}

// Right held into a pause and let go during it, the pause ended by Esc, or by the pad's Start
// (which stands for the Pause key): the release reaches the game after the pause, and the hero
// stops. The pause key's own release never stands in for it.
TEST_F(PauseTest, AKeyLetGoWhilePausedStopsTheHeroAfterIt) {
    for (const SDLKey pauseKey : {SDLK_ESCAPE, SDLK_PAUSE}) {
        SCOPED_TRACE(SDL_GetKeyName(pauseKey));
        const Uint32 start = platform::ticks() + 1000;
        frameAt(start, event(SDL_KEYDOWN, SDLK_RIGHT));
        frameAt(start + 16, event(SDL_KEYDOWN, pauseKey));
        ASSERT_TRUE(pauseRequested());
        ASSERT_TRUE(beginPause());
        EXPECT_FALSE(handlePausedEvent(event(SDL_KEYUP, SDLK_RIGHT)));
        EXPECT_FALSE(handlePausedEvent(event(SDL_KEYUP, pauseKey)));
        EXPECT_TRUE(handlePausedEvent(event(SDL_KEYDOWN, pauseKey)));
        EXPECT_FALSE(handlePausedEvent(event(SDL_KEYUP, pauseKey)));
        endPause();
        frameAt(start + 32);
        EXPECT_EQ(frameEvent.type, SDL_KEYUP);
        EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT);
        const double stoppedAt = hero->position.x;
        frameAt(start + 48);
        frameAt(start + 64);
        EXPECT_EQ(hero->position.x, stoppedAt) << "the hero runs on with no key held";
    }
}

// Each event as the shell meets it in play and while paused: whether the frame's poll leaves it to
// the shell, whether it asks for a pause, whether it switches the screen (in play and paused
// alike), whether it ends a pause, and whether a pause keeps it for the first frame after.
TEST_F(PauseTest, TheShellTakesItsOwnKeysInPlayAndWhilePausedAndLeavesTheRest) {
    const struct {
        SDL_Event event;
        SDLMod mod;
        bool taken, pauses, switches, resumes, kept;
    } cases[] = {{event(SDL_KEYDOWN, SDLK_ESCAPE), KMOD_NONE, 1, 1, 0, 1, 0},
                 {event(SDL_KEYDOWN, SDLK_PAUSE), KMOD_NONE, 1, 1, 0, 1, 0},
                 {event(SDL_ACTIVEEVENT), KMOD_NONE, 1, 1, 0, 0, 0},
                 {event(SDL_KEYDOWN, SDLK_F11), KMOD_NONE, 1, 0, 1, 0, 0},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LALT, 1, 0, 1, 0, 0},
                 {event(SDL_KEYDOWN, SDLK_KP_ENTER), KMOD_RALT, 1, 0, 1, 0, 0},
                 {event(SDL_KEYUP, SDLK_ESCAPE), KMOD_NONE, 1, 0, 0, 0, 0},
                 {event(SDL_KEYUP, SDLK_PAUSE), KMOD_NONE, 1, 0, 0, 0, 0},
                 {event(SDL_KEYUP, SDLK_F11), KMOD_NONE, 1, 0, 0, 0, 0},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_NONE, 0, 0, 0, 0, 1},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LCTRL, 0, 0, 0, 0, 1},
                 {event(SDL_KEYUP, SDLK_RETURN), KMOD_LALT, 0, 0, 0, 0, 1},
                 {event(SDL_ACTIVEEVENT, SDLK_UNKNOWN, 1), KMOD_NONE, 0, 0, 0, 0, 0},
                 {event(SDL_QUIT), KMOD_NONE, 0, 0, 0, 1, 1}};
    for (const auto& test : cases) {
        SDL_Event arrived = test.event;
        arrived.key.keysym.mod = test.mod;
        SCOPED_TRACE(std::to_string(arrived.type) + " " + SDL_GetKeyName(arrived.key.keysym.sym));
        const bool wasFullscreen = fullscreen();
        EXPECT_EQ(takeShellControl(arrived), test.taken);
        EXPECT_EQ(pauseRequested(), test.pauses);
        EXPECT_EQ(fullscreen(), wasFullscreen != test.switches);
        ASSERT_TRUE(beginPause());
        EXPECT_EQ(handlePausedEvent(arrived), test.resumes);
        EXPECT_EQ(fullscreen(), wasFullscreen) << "switched back while paused";
        endPause();
        SDL_Event next{};
        // A switch of the screen queues a resize and an expose of its own.
        while (SDL_PollEvent(&next) &&
               (next.type == SDL_VIDEORESIZE || next.type == SDL_VIDEOEXPOSE)) {
            next = {};
        }
        EXPECT_EQ(next.type, test.kept ? arrived.type : Uint8{SDL_NOEVENT});
        if (next.type == SDL_KEYDOWN || next.type == SDL_KEYUP) {
            EXPECT_EQ(next.key.keysym.sym, arrived.key.keysym.sym);
        }
    }
}

} // namespace
