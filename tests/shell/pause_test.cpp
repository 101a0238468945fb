// The pause on the test clock: game time stands still while paused, the shell's keys never reach
// the pieces, what each event does while paused, the pad read meanwhile, and a dying hero cannot
// pause.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "replay/session.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "shell/pause.h"
#include "shell/shell_controls.h"

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
    }
    void TearDown() override {
        endPause();
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

TEST_F(PauseTest, GameTimeStandsStillWhilePausedAndThePauseKeysNeverReachTheHero) {
    frameAt(10000, event(SDL_KEYDOWN, SDLK_RIGHT));
    frameAt(10016);
    frameAt(10032, event(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_TRUE(pauseRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT) << "Esc is the shell's, not the frame's";
    ASSERT_TRUE(beginPause());
    platform::advanceTestClock(pauseLength);
    endPause();
    const double before = hero->position.x;
    const double healthBefore = world->health;
    const int releasedBefore = newestReleasedSlot();
    frameAt(10048 + pauseLength);
    EXPECT_EQ(frameTick, 10048u) << "the paused time is left out of the game's clock";
    EXPECT_EQ(replay::reportReading(), 10048u) << "and out of the seconds survived";
    EXPECT_EQ(newestReleasedSlot(), releasedBefore);
    EXPECT_EQ(world->health, healthBefore);
    EXPECT_EQ(hero->position.x, before + 16.0 * hero->motion.speed / 1000.0);
}

// While paused: what ends the pause, what switches the screen, and the event the first frame
// after the pause is handed (the last key, or the window's closing).
TEST_F(PauseTest, WhilePausedThePauseKeysResumeTheScreenKeysSwitchAndTheLastKeyWaits) {
    const struct {
        SDL_Event event;
        SDLMod mod;
        bool resumes, switches;
        Uint8 handedOn;
    } cases[] = {{event(SDL_KEYDOWN, SDLK_ESCAPE), KMOD_NONE, true, false, SDL_NOEVENT},
                 {event(SDL_KEYDOWN, SDLK_PAUSE), KMOD_NONE, true, false, SDL_NOEVENT},
                 {event(SDL_QUIT), KMOD_NONE, true, false, SDL_QUIT},
                 {event(SDL_KEYDOWN, SDLK_F11), KMOD_NONE, false, true, SDL_NOEVENT},
                 {event(SDL_KEYDOWN, SDLK_KP_ENTER), KMOD_LALT, false, true, SDL_NOEVENT},
                 {event(SDL_KEYUP, SDLK_SPACE), KMOD_NONE, false, false, SDL_KEYUP},
                 {event(SDL_KEYDOWN, SDLK_LEFT), KMOD_NONE, false, false, SDL_KEYDOWN},
                 {event(SDL_ACTIVEEVENT, SDLK_UNKNOWN, 1), KMOD_NONE, false, false, SDL_NOEVENT}};
    for (const auto& test : cases) {
        SDL_Event arrived = test.event;
        arrived.key.keysym.mod = test.mod;
        SCOPED_TRACE(std::to_string(arrived.type) + " " + SDL_GetKeyName(arrived.key.keysym.sym));
        const bool wasFullscreen = fullscreen();
        ASSERT_TRUE(beginPause());
        EXPECT_EQ(handlePausedEvent(arrived), test.resumes);
        EXPECT_EQ(fullscreen(), wasFullscreen != test.switches);
        endPause();
        SDL_Event next{};
        SDL_PollEvent(&next);
        EXPECT_EQ(next.type, test.handedOn);
        if (next.type == SDL_KEYUP || next.type == SDL_KEYDOWN) {
            EXPECT_EQ(next.key.keysym.sym, arrived.key.keysym.sym);
        }
    }
    if (fullscreen()) {
        toggleFullscreen();
    }
}

// The pad is read while paused: its Start button ends the pause. A pause the pad could not end
// is ended by a signal once a second of the test clock has passed.
TEST_F(PauseTest, ThePadsStartButtonEndsAPause) {
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1); // the test window has no focus
    ASSERT_EQ(sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(sdl2Joysticks), 0);
    const int index = sdl2<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(1, 2, 8, 1);
    void* pad = sdl2<void* (*)(int)>("SDL_JoystickOpen")(index);
    auto setStart = sdl2<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualButton");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    ASSERT_TRUE(platform::openGamepad());
    setStart(pad, padStartButton, 1);
    platform::setTestClock(hero_world::startTick);
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
    sdl2<void (*)(void*)>("SDL_JoystickClose")(pad);
    sdl2<int (*)(int)>("SDL_JoystickDetachVirtual")(index);
    sdl2<void (*)(Uint32)>("SDL_QuitSubSystem")(sdl2Joysticks);
}

TEST_F(PauseTest, NoPauseOnceTheHeroHasDied) {
    hero->kill();
    requestPause();
    EXPECT_FALSE(beginPause());
    EXPECT_FALSE(pauseRequested());
}

// Which polled events are the shell's and never the frame's: the pause and screen keys, both
// pressed and let go, and the focus lost; what each pressed one asks for.
TEST_F(PauseTest, TheShellTakesItsOwnKeysAndTheFocusAndLeavesTheRest) {
    const struct {
        SDL_Event event;
        SDLMod mod;
        bool taken, pauses, switches;
    } cases[] = {{event(SDL_KEYDOWN, SDLK_ESCAPE), KMOD_NONE, true, true, false},
                 {event(SDL_KEYDOWN, SDLK_PAUSE), KMOD_NONE, true, true, false},
                 {event(SDL_ACTIVEEVENT), KMOD_NONE, true, true, false},
                 {event(SDL_KEYDOWN, SDLK_F11), KMOD_NONE, true, false, true},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LALT, true, false, true},
                 {event(SDL_KEYDOWN, SDLK_KP_ENTER), KMOD_RALT, true, false, true},
                 {event(SDL_KEYUP, SDLK_ESCAPE), KMOD_NONE, true, false, false},
                 {event(SDL_KEYUP, SDLK_PAUSE), KMOD_NONE, true, false, false},
                 {event(SDL_KEYUP, SDLK_F11), KMOD_NONE, true, false, false},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_NONE, false, false, false},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LCTRL, false, false, false},
                 {event(SDL_KEYUP, SDLK_RETURN), KMOD_LALT, false, false, false},
                 {event(SDL_ACTIVEEVENT, SDLK_UNKNOWN, 1), KMOD_NONE, false, false, false},
                 {event(SDL_KEYDOWN, SDLK_SPACE), KMOD_NONE, false, false, false},
                 {event(SDL_KEYUP, SDLK_RIGHT), KMOD_NONE, false, false, false}};
    for (const auto& test : cases) {
        SDL_Event polled = test.event;
        polled.key.keysym.mod = test.mod;
        SCOPED_TRACE(std::to_string(polled.type) + " " + SDL_GetKeyName(polled.key.keysym.sym));
        const bool wasFullscreen = fullscreen();
        EXPECT_EQ(isFullscreenToggle(polled), test.switches);
        EXPECT_EQ(takeShellControl(polled), test.taken);
        EXPECT_EQ(fullscreen(), wasFullscreen != test.switches);
        EXPECT_EQ(pauseRequested(), test.pauses);
        if (pauseRequested() && beginPause()) {
            endPause();
        }
    }
    if (fullscreen()) {
        toggleFullscreen();
    }
}

} // namespace
