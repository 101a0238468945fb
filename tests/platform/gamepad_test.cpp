// The gamepad through SDL's own joystick path: a virtual pad reaches the frame's event poll as the
// keys it stands for, once per press; stick noise inside the dead zone sends nothing.
#include "platform/gamepad.h"
#include "replay/session.h"
#include "shell/pause.h"
#include "shell/shell_controls.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <functional>

namespace {

constexpr Uint32 sdl2Joystick = 0x200;
constexpr int sdl2GameController = 1;
constexpr Sint16 deadZoneEdge = 10923; // a third of the stick's travel

// The virtual joystick is SDL 2's; the SDL 1.2 interface the game uses runs on top of it.
class GamepadTest : public ::testing::Test {
  protected:
    template <class Function> Function sdl2(const char* name) {
        return reinterpret_cast<Function>(
            dlsym(dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD), name));
    }
    void SetUp() override {
        // The test window never has the keyboard's focus, and SDL hears no pad without it.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        ASSERT_EQ(sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(sdl2Joystick), 0);
        padIndex = sdl2<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(
            sdl2GameController, 2, 8, 1);
        pad = sdl2<void* (*)(int)>("SDL_JoystickOpen")(padIndex);
        setAxis = sdl2<decltype(setAxis)>("SDL_JoystickSetVirtualAxis");
        setButton = sdl2<decltype(setButton)>("SDL_JoystickSetVirtualButton");
        setHat = sdl2<decltype(setHat)>("SDL_JoystickSetVirtualHat");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        ASSERT_EQ(SDL_NumJoysticks(), 1) << "SDL lists the pad";
        ASSERT_TRUE(platform::openGamepad());
        for (SDL_Event pending; SDL_PollEvent(&pending);) {
        }
    }
    void TearDown() override {
        platform::closeGamepad();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        sdl2<void (*)(void*)>("SDL_JoystickClose")(pad);
        sdl2<int (*)(int)>("SDL_JoystickDetachVirtual")(padIndex);
        sdl2<void (*)(Uint32)>("SDL_QuitSubSystem")(sdl2Joystick);
    }
    // The key the frame's event poll hands the game, signed: + pressed, - let go, 0 nothing.
    static int keyOfFrame() {
        SDL_Event event{};
        replay::pollFrameEvent(event, takeShellControl);
        return event.type == SDL_KEYDOWN ? event.key.keysym.sym : -event.key.keysym.sym;
    }

  public: // the table of controls below reaches the pad through a reference to the test
    int padIndex = -1;
    void* pad = nullptr;
    int (*setAxis)(void*, int, Sint16) = nullptr;
    int (*setButton)(void*, int, Uint8) = nullptr;
    int (*setHat)(void*, int, Uint8) = nullptr;
};

// SDLK_UNKNOWN: the control must send nothing, pressed or let go.
TEST_F(GamepadTest, EveryControlStandsForItsKeyOnceAndTheStartButtonPauses) {
    auto stick = [](int axis, int at) {
        return [=](GamepadTest& t, bool on) { t.setAxis(t.pad, axis, Sint16(on ? at : 0)); };
    };
    const struct {
        const char* control;
        std::function<void(GamepadTest&, bool)> set;
        SDLKey key;
    } cases[] = {
        {"stick left", stick(0, -deadZoneEdge), SDLK_LEFT},
        {"stick right", stick(0, deadZoneEdge), SDLK_RIGHT},
        {"stick up", stick(1, -deadZoneEdge), SDLK_UP},
        {"stick down", stick(1, deadZoneEdge), SDLK_DOWN},
        {"stick noise right", stick(0, deadZoneEdge - 1), SDLK_UNKNOWN},
        {"stick noise left", stick(0, 1 - deadZoneEdge), SDLK_UNKNOWN},
        {"stick noise up", stick(1, 1 - deadZoneEdge), SDLK_UNKNOWN},
        {"stick noise down", stick(1, deadZoneEdge - 1), SDLK_UNKNOWN},
        {"d-pad left", [](auto& t, bool on) { t.setHat(t.pad, 0, on ? SDL_HAT_LEFT : 0); },
         SDLK_LEFT},
        {"d-pad up", [](auto& t, bool on) { t.setHat(t.pad, 0, on ? SDL_HAT_UP : 0); }, SDLK_UP},
        {"button 0", [](auto& t, bool on) { t.setButton(t.pad, 0, on); }, SDLK_SPACE},
        {"button 1", [](auto& t, bool on) { t.setButton(t.pad, 1, on); }, SDLK_LCTRL},
    };
    for (const auto& c : cases) {
        c.set(*this, true);
        EXPECT_EQ(keyOfFrame(), c.key) << c.control << " pressed";
        EXPECT_EQ(keyOfFrame(), 0) << c.control << " held: no repeat";
        c.set(*this, false);
        EXPECT_EQ(keyOfFrame(), -c.key) << c.control << " let go";
    }
    setButton(pad, 7, 1);
    EXPECT_EQ(keyOfFrame(), 0) << "the shell takes Start for itself";
    EXPECT_TRUE(pauseRequested());
    beginPause();
    endPause();
}

} // namespace
