// The gamepad in the browser, read as keys through the browser's own Gamepad API.
//
// A browser tells the page of a pad only once the player has pressed a button on it with the page
// open, so a pad is usually not there yet when the game starts: each reading looks for one, takes
// the first the browser lists when the game holds none, and lets it go when the browser drops it.
// The pads are read from the browser itself rather than through SDL 2, whose joystick driver keeps
// back the browser's mapping and whose controller API gives every browser pad the standard mapping
// alike, so it cannot tell a pad the browser knows from one it does not.
#include "platform/gamepad.h"

#include <emscripten/html5.h>

#include <cstring>

namespace platform {
namespace {

constexpr int stickX = 0;
constexpr int stickY = 1;
constexpr int noPad = -1;
// The browser's name for its one known layout; any other pad comes as the pad reports itself (the
// browser gives no hat, so its d-pad is left to the stick).
constexpr const char* standardMapping = "standard";

// A pad the browser knows, in the browser's standard numbering: A, B, X, Y, the shoulders, the
// triggers, Back, Start, the stick buttons, then the d-pad up, down, left, right.
constexpr PadLayout standardLayout{.sword = 0,
                                   .jump = 1,
                                   .start = 9,
                                   .dpadLeft = 14,
                                   .dpadRight = 15,
                                   .dpadUp = 12,
                                   .dpadDown = 13};

// Whether the game wants the pad read: from openGamepad until closeGamepad.
bool wanted = false;
// The browser's index of the pad being read, if any.
int pad = noPad;
PadKeyEvents keyEvents;

// The browser reports the stick from -1 to 1 already.
double axis(const EmscriptenGamepadEvent& state, int index) {
    return index < state.numAxes ? state.axis[index] : 0.0;
}

const PadLayout& layoutOf(const EmscriptenGamepadEvent& state) {
    return std::strcmp(state.mapping, standardMapping) == 0 ? standardLayout : rawPadLayout;
}

void readControls(const EmscriptenGamepadEvent& state, PadPressed& pressed) {
    const auto button = [&state](int index) {
        return index < state.numButtons && state.digitalButton[index] != 0;
    };
    const PadDirections directions{.stickX = axis(state, stickX), .stickY = axis(state, stickY)};
    readPadControls(layoutOf(state), button, directions, pressed);
}

// The pad at `index` as the browser last reported it, if it is still there.
bool padState(int index, EmscriptenGamepadEvent& state) {
    return emscripten_get_gamepad_status(index, &state) == EMSCRIPTEN_RESULT_SUCCESS &&
           state.connected != 0;
}

// Takes the first pad the browser lists, if there is one.
void takeFirstPad(EmscriptenGamepadEvent& state) {
    const int listed = emscripten_get_num_gamepads();
    for (int index = 0; index < listed; ++index) {
        if (padState(index, state)) {
            pad = index;
            return;
        }
    }
}

// A pad that went away lets go of every control it held, so that no key stays down.
void dropPad() {
    pad = noPad;
    keyEvents.letGoOfAll();
}

} // namespace

bool openGamepad(const PadKeys& keys) {
    closeGamepad();
    keyEvents.standFor(keys);
    wanted = true;
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    EmscriptenGamepadEvent state{};
    takeFirstPad(state);
    return pad != noPad;
}

void closeGamepad() {
    wanted = false;
    pad = noPad;
    keyEvents.forget();
}

void pollGamepad() {
    if (!wanted || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return;
    }
    EmscriptenGamepadEvent state{};
    if (pad != noPad && !padState(pad, state)) {
        dropPad();
    }
    if (pad == noPad) {
        takeFirstPad(state);
        if (pad == noPad) {
            return;
        }
    }
    PadPressed pressed;
    readControls(state, pressed);
    keyEvents.pushChanges(pressed);
}

} // namespace platform
