// The gamepad through SDL's own joystick path: a virtual pad that SDL lists like any other
// steers the game exactly as the keys do, and stick noise inside the dead zone sends nothing.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "shell/pause.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>

#include <random>
#include <vector>

namespace {

// The virtual joystick is SDL 2's; the SDL 1.2 interface the game uses runs on top of it.
struct VirtualPadApi {
    int (*initSubSystem)(Uint32);
    void (*quitSubSystem)(Uint32);
    int (*attach)(int type, int axes, int buttons, int hats);
    int (*detach)(int index);
    void* (*open)(int index);
    void (*close)(void* joystick);
    int (*setAxis)(void* joystick, int axis, Sint16 value);
    int (*setButton)(void* joystick, int button, Uint8 value);
    int (*setHat)(void* joystick, int hat, Uint8 value);
};

constexpr Uint32 sdl2Joystick = 0x200;
constexpr int sdl2GameController = 1;

template <class Function> void find(void* library, const char* name, Function& into) {
    into = reinterpret_cast<Function>(dlsym(library, name));
    ASSERT_NE(into, nullptr) << name;
}

class GamepadTest : public hero_world::HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(sdl2, nullptr) << "SDL 1.2 runs on SDL 2 here";
        find(sdl2, "SDL_InitSubSystem", api.initSubSystem);
        find(sdl2, "SDL_QuitSubSystem", api.quitSubSystem);
        find(sdl2, "SDL_JoystickAttachVirtual", api.attach);
        find(sdl2, "SDL_JoystickDetachVirtual", api.detach);
        find(sdl2, "SDL_JoystickOpen", api.open);
        find(sdl2, "SDL_JoystickClose", api.close);
        find(sdl2, "SDL_JoystickSetVirtualAxis", api.setAxis);
        find(sdl2, "SDL_JoystickSetVirtualButton", api.setButton);
        find(sdl2, "SDL_JoystickSetVirtualHat", api.setHat);
        // The test window never has the keyboard's focus, and SDL hears no pad without it.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        ASSERT_EQ(api.initSubSystem(sdl2Joystick), 0);
        padIndex = api.attach(sdl2GameController, 2, 8, 1);
        ASSERT_GE(padIndex, 0);
        virtualPad = api.open(padIndex);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        ASSERT_EQ(SDL_NumJoysticks(), 1) << "SDL lists the pad";
        ASSERT_TRUE(platform::openGamepad());
        emptyQueue();
        lastFrameEndTick = hero_world::startTick - 16;
        lastSpawnTick = hero_world::startTick;
    }
    void TearDown() override {
        platform::closeGamepad();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        if (virtualPad != nullptr) {
            api.close(virtualPad);
            api.detach(padIndex);
        }
        api.quitSubSystem(sdl2Joystick);
        HeroWorldFixture::TearDown();
    }

    static void emptyQueue() {
        SDL_Event pending;
        while (SDL_PollEvent(&pending)) {
        }
    }
    // The key events one reading of the pad pushes.
    static std::vector<std::pair<Uint8, SDLKey>> keysFromPad() {
        platform::pollGamepad();
        std::vector<std::pair<Uint8, SDLKey>> keys;
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            keys.emplace_back(event.type, event.key.keysym.sym);
        }
        return keys;
    }
    void frameAt(Uint32 now) {
        platform::setTestClock(now);
        runFrame();
    }

    VirtualPadApi api{};
    int padIndex = -1;
    void* virtualPad = nullptr;
};

using Keys = std::vector<std::pair<Uint8, SDLKey>>;

TEST_F(GamepadTest, EveryControlStandsForItsKey) {
    struct Case {
        const char* control;
        std::function<void(bool)> set;
        SDLKey key;
    };
    const Case cases[] = {
        {"stick left", [&](bool on) { api.setAxis(virtualPad, 0, on ? -20000 : 0); }, SDLK_LEFT},
        {"stick right", [&](bool on) { api.setAxis(virtualPad, 0, on ? 20000 : 0); }, SDLK_RIGHT},
        {"stick up", [&](bool on) { api.setAxis(virtualPad, 1, on ? -20000 : 0); }, SDLK_UP},
        {"stick down", [&](bool on) { api.setAxis(virtualPad, 1, on ? 20000 : 0); }, SDLK_DOWN},
        {"d-pad left", [&](bool on) { api.setHat(virtualPad, 0, on ? SDL_HAT_LEFT : 0); },
         SDLK_LEFT},
        {"d-pad up", [&](bool on) { api.setHat(virtualPad, 0, on ? SDL_HAT_UP : 0); }, SDLK_UP},
        {"button 0", [&](bool on) { api.setButton(virtualPad, 0, on); }, SDLK_SPACE},
        {"button 1", [&](bool on) { api.setButton(virtualPad, 1, on); }, SDLK_LCTRL},
        {"Start", [&](bool on) { api.setButton(virtualPad, 7, on); }, SDLK_PAUSE},
    };
    for (const Case& c : cases) {
        c.set(true);
        EXPECT_EQ(keysFromPad(), (Keys{{SDL_KEYDOWN, c.key}})) << c.control << " pressed";
        EXPECT_EQ(keysFromPad(), Keys{}) << c.control << " held: no repeat";
        c.set(false);
        EXPECT_EQ(keysFromPad(), (Keys{{SDL_KEYUP, c.key}})) << c.control << " let go";
    }
}

TEST_F(GamepadTest, TheStickActsOnlyPastAThirdOfItsTravelAndItsNoiseSendsNothing) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> wobble(-10900, 10900); // inside a third of 32767
    for (int reading = 0; reading < 500; ++reading) {
        api.setAxis(virtualPad, 0, static_cast<Sint16>(wobble(random)));
        api.setAxis(virtualPad, 1, static_cast<Sint16>(wobble(random)));
        ASSERT_EQ(keysFromPad(), Keys{}) << "reading " << reading;
    }
    api.setAxis(virtualPad, 0, 10923);
    EXPECT_EQ(keysFromPad(), (Keys{{SDL_KEYDOWN, SDLK_RIGHT}}));
    api.setAxis(virtualPad, 0, 30000); // further out: still the same press
    EXPECT_EQ(keysFromPad(), Keys{});
}

TEST_F(GamepadTest, ThePadSteersTheHeroThroughTheFrameLoop) {
    api.setAxis(virtualPad, 0, 32767);
    frameAt(10000);
    frameAt(10016);
    EXPECT_GT(hero->motion.vx, 0.0) << "running right";
    api.setAxis(virtualPad, 0, 0);
    frameAt(10032);
    EXPECT_EQ(hero->motion.vx, 0.0) << "the stick let go stops the run";
    api.setButton(virtualPad, 0, 1);
    frameAt(10048);
    EXPECT_EQ(hero->animation, player::swordAnimation);
    api.setButton(virtualPad, 7, 1);
    frameAt(10064);
    EXPECT_TRUE(pauseRequested()) << "Start pauses";
    beginPause();
    endPause();
}

} // namespace
