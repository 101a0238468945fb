// The gamepad read as keys: each control's pressed state, compared with the last frame's.
#include "platform/gamepad.h"

#include "platform/compat_hints.h"

#include <cstdlib>
#include <string>

namespace platform {
namespace {

constexpr int stickX = 0;
constexpr int stickY = 1;
constexpr int dpad = 0;
// The stick's full travel on one side of centre, as SDL reports it.
constexpr double stickTravel = 32767.0;
// What the layer's variable is set to while a pad it does not know is looked for.
constexpr const char* switchedOff = "0";

// A pad the layer presents in the standard layout: SDL 2's controller buttons, in SDL 2's order
// (A, B, X, Y, Back, Guide, Start, ..., then the d-pad up, down, left, right), and no hat.
constexpr PadLayout standardLayout{.sword = 0,
                                   .jump = 1,
                                   .start = 6,
                                   .dpadLeft = 13,
                                   .dpadRight = 14,
                                   .dpadUp = 11,
                                   .dpadDown = 12};

SDL_Joystick* pad = nullptr;
const PadLayout* layout = &rawPadLayout;
PadKeyEvents keyEvents;

bool button(int index) {
    return index < SDL_JoystickNumButtons(pad) && SDL_JoystickGetButton(pad, index) != 0;
}

double axis(int index) {
    return index < SDL_JoystickNumAxes(pad) ? SDL_JoystickGetAxis(pad, index) / stickTravel : 0.0;
}

// The stick's position and the d-pad's hat, where the pad has them.
PadDirections directions() {
    const Uint8 hat =
        SDL_JoystickNumHats(pad) > dpad ? SDL_JoystickGetHat(pad, dpad) : Uint8{SDL_HAT_CENTERED};
    return PadDirections{.stickX = axis(stickX),
                         .stickY = axis(stickY),
                         .hatLeft = (hat & SDL_HAT_LEFT) != 0,
                         .hatRight = (hat & SDL_HAT_RIGHT) != 0,
                         .hatUp = (hat & SDL_HAT_UP) != 0,
                         .hatDown = (hat & SDL_HAT_DOWN) != 0};
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
const PadLayout& presentedLayout() {
    if (!standardPadLayoutAsked() || SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
        return rawPadLayout;
    }
    if (SDL_NumJoysticks() > 0) {
        return standardLayout;
    }
    restartJoysticksInRawLayout();
    return rawPadLayout;
}

} // namespace

bool openGamepad(const PadKeys& keys) {
    closeGamepad();
    keyEvents.standFor(keys);
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
    keyEvents.forget();
}

void pollGamepad() {
    if (pad == nullptr) {
        return;
    }
    SDL_JoystickUpdate();
    PadPressed pressed;
    readPadControls(*layout, button, directions(), pressed);
    keyEvents.pushChanges(pressed);
}

} // namespace platform
