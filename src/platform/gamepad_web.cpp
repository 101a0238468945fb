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

#include <algorithm>
#include <cstring>
#include <iterator>

namespace platform {
namespace {

constexpr int stickX = 0;
constexpr int stickY = 1;
constexpr int noButton = -1;
constexpr int noPad = -1;
// A third of the stick's travel (the browser reports it from -1 to 1): inside it the stick counts
// as centred.
constexpr double deadZone = 1.0 / 3.0;
// The browser's name for its one known layout; any other pad comes as the pad reports itself.
constexpr const char* standardMapping = "standard";

// Where a pad's controls are: the buttons of the sword, the jump and Start, and the d-pad's.
struct Layout {
    int sword;
    int jump;
    int start;
    int dpadLeft;
    int dpadRight;
    int dpadUp;
    int dpadDown;
};

// A pad the browser knows, in the browser's standard numbering: A, B, X, Y, the shoulders, the
// triggers, Back, Start, the stick buttons, then the d-pad up, down, left, right.
constexpr Layout standardLayout{.sword = 0,
                                .jump = 1,
                                .start = 9,
                                .dpadLeft = 14,
                                .dpadRight = 15,
                                .dpadUp = 12,
                                .dpadDown = 13};
// A pad as it reports itself: south ("A") and east ("B") first, Start where most twin-stick pads
// put it; the browser gives no hat, so its d-pad is left to the stick.
constexpr Layout rawLayout{.sword = 0,
                           .jump = 1,
                           .start = 7,
                           .dpadLeft = noButton,
                           .dpadRight = noButton,
                           .dpadUp = noButton,
                           .dpadDown = noButton};

// The pad's controls, each standing for one key.
enum Control { left, right, up, down, sword, jump, start, controlCount };

SDLKey keyFor[controlCount] = {};

// Whether the game wants the pad read: from openGamepad until closeGamepad.
bool wanted = false;
// The browser's index of the pad being read, if any.
int pad = noPad;
bool wasPressed[controlCount] = {};

bool button(const EmscriptenGamepadEvent& state, int index) {
    return index != noButton && index < state.numButtons && state.digitalButton[index] != 0;
}

double axis(const EmscriptenGamepadEvent& state, int index) {
    return index < state.numAxes ? state.axis[index] : 0.0;
}

const Layout& layoutOf(const EmscriptenGamepadEvent& state) {
    return std::strcmp(state.mapping, standardMapping) == 0 ? standardLayout : rawLayout;
}

void readControls(const EmscriptenGamepadEvent& state, bool (&pressed)[controlCount]) {
    const Layout& layout = layoutOf(state);
    pressed[left] = button(state, layout.dpadLeft) || axis(state, stickX) < -deadZone;
    pressed[right] = button(state, layout.dpadRight) || axis(state, stickX) > deadZone;
    pressed[up] = button(state, layout.dpadUp) || axis(state, stickY) < -deadZone;
    pressed[down] = button(state, layout.dpadDown) || axis(state, stickY) > deadZone;
    pressed[sword] = button(state, layout.sword);
    pressed[jump] = button(state, layout.jump);
    pressed[start] = button(state, layout.start);
}

void pushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// Pushes a key event for every control whose state differs from `pressed`.
void pushChanges(const bool (&pressed)[controlCount]) {
    for (int control = 0; control < controlCount; ++control) {
        if (pressed[control] != wasPressed[control]) {
            pushKey(keyFor[control], pressed[control]);
            wasPressed[control] = pressed[control];
        }
    }
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
    const bool nothing[controlCount] = {};
    pushChanges(nothing);
}

} // namespace

bool openGamepad(const PadKeys& keys) {
    closeGamepad();
    const SDLKey mapped[controlCount] = {keys.left,  keys.right, keys.up,   keys.down,
                                         keys.sword, keys.jump,  keys.start};
    std::copy(std::begin(mapped), std::end(mapped), std::begin(keyFor));
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
    for (bool& pressed : wasPressed) {
        pressed = false;
    }
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
    bool pressed[controlCount];
    readControls(state, pressed);
    pushChanges(pressed);
}

} // namespace platform
