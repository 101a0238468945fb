// The gamepad read as keys: each control's pressed state, compared with the last frame's.
#include "platform/gamepad.h"

#include "platform/compat_hints.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

namespace platform {
namespace {

constexpr int stickX = 0;
constexpr int stickY = 1;
constexpr int dpad = 0;
constexpr int noButton = -1;
// A third of the stick's travel: inside it the stick counts as centred.
constexpr Sint16 deadZone = 32767 / 3;
// What the layer's variable is set to while a pad it does not know is looked for.
constexpr const char* switchedOff = "0";

// Where a pad's controls are: the buttons of the sword, the jump and Start, and the d-pad's
// buttons where it has them instead of a hat.
struct Layout {
    int sword;
    int jump;
    int start;
    int dpadLeft;
    int dpadRight;
    int dpadUp;
    int dpadDown;
};

// A pad as it reports itself: south ("A") and east ("B") first, Start where most twin-stick pads
// put it, the d-pad on hat 0.
constexpr Layout rawLayout{.sword = 0,
                           .jump = 1,
                           .start = 7,
                           .dpadLeft = noButton,
                           .dpadRight = noButton,
                           .dpadUp = noButton,
                           .dpadDown = noButton};
// A pad the layer presents in the standard layout: SDL 2's controller buttons, in SDL 2's order
// (A, B, X, Y, Back, Guide, Start, ..., then the d-pad up, down, left, right), and no hat.
constexpr Layout standardLayout{.sword = 0,
                                .jump = 1,
                                .start = 6,
                                .dpadLeft = 13,
                                .dpadRight = 14,
                                .dpadUp = 11,
                                .dpadDown = 12};

// The pad's controls, each standing for one key.
enum Control { left, right, up, down, sword, jump, start, controlCount };

SDLKey keyFor[controlCount] = {};

SDL_Joystick* pad = nullptr;
const Layout* layout = &rawLayout;
bool wasPressed[controlCount] = {};

bool button(int index) {
    return index != noButton && index < SDL_JoystickNumButtons(pad) &&
           SDL_JoystickGetButton(pad, index) != 0;
}

Sint16 axis(int index) {
    return index < SDL_JoystickNumAxes(pad) ? SDL_JoystickGetAxis(pad, index) : Sint16{0};
}

Uint8 hat() {
    return SDL_JoystickNumHats(pad) > dpad ? SDL_JoystickGetHat(pad, dpad) : SDL_HAT_CENTERED;
}

void readControls(bool (&pressed)[controlCount]) {
    const Uint8 d = hat();
    pressed[left] = (d & SDL_HAT_LEFT) != 0 || button(layout->dpadLeft) || axis(stickX) < -deadZone;
    pressed[right] =
        (d & SDL_HAT_RIGHT) != 0 || button(layout->dpadRight) || axis(stickX) > deadZone;
    pressed[up] = (d & SDL_HAT_UP) != 0 || button(layout->dpadUp) || axis(stickY) < -deadZone;
    pressed[down] = (d & SDL_HAT_DOWN) != 0 || button(layout->dpadDown) || axis(stickY) > deadZone;
    pressed[sword] = button(layout->sword);
    pressed[jump] = button(layout->jump);
    pressed[start] = button(layout->start);
}

void pushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// While the standard layout is asked for, the layer lists only the pads it knows, so a pad it
// does not know would be lost. The layer reads its variable only as the joystick subsystem
// starts: restarting the subsystem with it switched off lists every pad in its raw layout, as
// if nothing had been asked. The variable is given back so that the player's own value stays.
void restartJoysticksInRawLayout() {
    const char* value = std::getenv(standardPadLayoutVariable);
    if (value == nullptr) {
        return; // nothing was asked: every pad is listed raw already
    }
    const std::string asked = value;
    setenv(standardPadLayoutVariable, switchedOff, 1);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    setenv(standardPadLayoutVariable, asked.c_str(), 1);
}

// The layout the layer presents its pads in, looking again in the raw one when it knows none.
const Layout& presentedLayout() {
    if (!standardPadLayoutAsked() || SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
        return rawLayout;
    }
    if (SDL_NumJoysticks() > 0) {
        return standardLayout;
    }
    restartJoysticksInRawLayout();
    return rawLayout;
}

} // namespace

bool openGamepad(const PadKeys& keys) {
    closeGamepad();
    const SDLKey mapped[controlCount] = {keys.left,  keys.right, keys.up,   keys.down,
                                         keys.sword, keys.jump,  keys.start};
    std::copy(std::begin(mapped), std::end(mapped), std::begin(keyFor));
    layout = &presentedLayout();
    if (SDL_NumJoysticks() < 1) {
        return false;
    }
    pad = SDL_JoystickOpen(0);
    if (pad != nullptr) {
        SDL_JoystickEventState(SDL_IGNORE);
    }
    return pad != nullptr;
}

void closeGamepad() {
    if (pad != nullptr) {
        SDL_JoystickClose(pad);
        pad = nullptr;
    }
    for (bool& pressed : wasPressed) {
        pressed = false;
    }
}

void pollGamepad() {
    if (pad == nullptr) {
        return;
    }
    SDL_JoystickUpdate();
    bool pressed[controlCount];
    readControls(pressed);
    for (int control = 0; control < controlCount; ++control) {
        if (pressed[control] != wasPressed[control]) {
            pushKey(keyFor[control], pressed[control]);
            wasPressed[control] = pressed[control];
        }
    }
}

} // namespace platform
