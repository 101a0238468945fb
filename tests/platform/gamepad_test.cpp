// The gamepad through SDL's own joystick path: a virtual pad, in SDL's database or not, reaches the
// frame's event poll as the keys it stands for, once per press; Start pauses, and ends the pause.
#include "platform/clock.h"
#include "platform/compat_hints.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "replay/session.h"
#include "shell/pause.h"
#include "shell/pause_request.h"
#include "shell/shell_controls.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

namespace {

constexpr Uint32 sdl2Joystick = 0x200;
// Not a "game controller": the virtual driver gives a pad of that type a mapping of its own.
constexpr int sdl2UnknownJoystick = 0;
constexpr int padAxes = 2;
constexpr int padButtons = 10;
constexpr int padHats = 1;
constexpr Sint16 deadZoneEdge = 10923; // a third of the stick's travel

// The database's line for the known pad after its GUID: A, B and Start on raw buttons the raw
// layout reads otherwise or not at all, the d-pad on the hat, the left stick on the first axes.
constexpr const char* knownPadMapping = "Known Pad,a:b2,b:b3,x:b0,y:b1,back:b8,start:b9,dpup:h0.1,"
                                        "dpright:h0.2,dpdown:h0.4,dpleft:h0.8,leftx:a0,lefty:a1,";

struct PadKind {
    const char* name;
    const char* mapping;      // the pad's line in SDL's database; nullptr: SDL does not know it
    const char* playersValue; // the player's own value of the layer's variable, if any
    int a, b, start;          // the pad's raw buttons that must act as the sword, jump and Start
};

const PadKind padKinds[] = {
    {"UnknownPadInTheRawLayout", nullptr, nullptr, 0, 1, 7},
    {"KnownPadInTheStandardLayout", knownPadMapping, nullptr, 2, 3, 9},
    {"KnownPadInTheRawLayoutThePlayerChose", knownPadMapping, "0", 0, 1, 7},
};

void PrintTo(const PadKind& kind, std::ostream* out) { // names the case in GoogleTest's output
    *out << kind.name;
}

struct SdlGuid {
    Uint8 data[16];
};

// The virtual joystick is SDL 2's; the SDL 1.2 interface the game uses runs on top of it.
class GamepadTest : public ::testing::TestWithParam<PadKind> {
  protected:
    template <class Function> Function sdl2(const char* name) {
        return reinterpret_cast<Function>(
            dlsym(dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD), name));
    }
    void SetUp() override {
        // The test window never has the keyboard's focus, and SDL hears no pad without it.
        setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
        platform::setCompatibilityHints(); // as the game does before SDL starts
        ASSERT_EQ(sdl2<int (*)(Uint32)>("SDL_InitSubSystem")(sdl2Joystick), 0);
        padIndex = sdl2<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual")(
            sdl2UnknownJoystick, padAxes, padButtons, padHats);
        if (GetParam().mapping != nullptr) {
            addToDatabase(GetParam().mapping);
        }
        pad = sdl2<void* (*)(int)>("SDL_JoystickOpen")(padIndex);
        setAxis = sdl2<decltype(setAxis)>("SDL_JoystickSetVirtualAxis");
        setButton = sdl2<decltype(setButton)>("SDL_JoystickSetVirtualButton");
        setHat = sdl2<decltype(setHat)>("SDL_JoystickSetVirtualHat");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        ASSERT_TRUE(platform::openGamepad(padKeys));
        ASSERT_EQ(SDL_NumJoysticks(), 1) << "SDL lists the pad";
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
    // SDL 2 files a mapping under the GUID without its name's checksum: with it, none matches.
    void addToDatabase(const char* mapping) {
        SdlGuid guid = sdl2<SdlGuid (*)(int)>("SDL_JoystickGetDeviceGUID")(padIndex);
        guid.data[2] = guid.data[3] = 0;
        char text[33] = {};
        sdl2<void (*)(SdlGuid, char*, int)>("SDL_JoystickGetGUIDString")(guid, text, sizeof text);
        const std::string line = std::string(text) + "," + mapping;
        ASSERT_GE(sdl2<int (*)(const char*)>("SDL_GameControllerAddMapping")(line.c_str()), 0);
    }
    static int keyOfFrame() { // the key the poll hands the game: + pressed, - let go, 0 none
        SDL_Event event{};
        replay::pollFrameEvent(event, takeShellControl);
        return event.type == SDL_KEYDOWN ? event.key.keysym.sym : -event.key.keysym.sym;
    }

  public: // the table of controls below reaches the pad through a reference to the test
    const testing_support::EnvironmentVariable layout{platform::standardPadLayoutVariable,
                                                      GetParam().playersValue};
    int padIndex = -1;
    void* pad = nullptr;
    int (*setAxis)(void*, int, Sint16) = nullptr;
    int (*setButton)(void*, int, Uint8) = nullptr;
    int (*setHat)(void*, int, Uint8) = nullptr;
};

// SDLK_UNKNOWN: the control must send nothing, pressed or let go.
TEST_P(GamepadTest, EveryControlStandsForItsKeyOnceAndTheStartButtonPauses) {
    auto stick = [](int axis, int at) {
        return [=](GamepadTest& t, bool on) { t.setAxis(t.pad, axis, Sint16(on ? at : 0)); };
    };
    auto dpad = [](Uint8 direction) {
        return [=](GamepadTest& t, bool on) { t.setHat(t.pad, 0, on ? direction : 0); };
    };
    auto button = [](int index) {
        return [=](GamepadTest& t, bool on) { t.setButton(t.pad, index, on); };
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
        {"d-pad left", dpad(SDL_HAT_LEFT), SDLK_LEFT},
        {"d-pad right", dpad(SDL_HAT_RIGHT), SDLK_RIGHT},
        {"d-pad up", dpad(SDL_HAT_UP), SDLK_UP},
        {"d-pad down", dpad(SDL_HAT_DOWN), SDLK_DOWN},
        {"A", button(GetParam().a), SDLK_SPACE},
        {"B", button(GetParam().b), SDLK_LCTRL},
    };
    for (const auto& c : cases) {
        c.set(*this, true);
        EXPECT_EQ(keyOfFrame(), c.key) << c.control << " pressed";
        EXPECT_EQ(keyOfFrame(), 0) << c.control << " held: no repeat";
        c.set(*this, false);
        EXPECT_EQ(keyOfFrame(), -c.key) << c.control << " let go";
    }
    setButton(pad, GetParam().start, 1);
    EXPECT_EQ(keyOfFrame(), 0) << "the shell takes Start for itself";
    EXPECT_TRUE(pauseRequested());
    setButton(pad, GetParam().start, 0);
    EXPECT_EQ(keyOfFrame(), 0) << "and its release";
    // Pressed again while paused, it resumes; else the watchdog ends the pause a second later.
    setButton(pad, GetParam().start, 1);
    std::atomic<bool> resumed{false};
    const Uint32 giveUpAt = platform::ticks() + 1000;
    std::thread watchdog([&] {
        while (!resumed && platform::ticks() < giveUpAt) {
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
}

INSTANTIATE_TEST_SUITE_P(Pads, GamepadTest, ::testing::ValuesIn(padKinds),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
