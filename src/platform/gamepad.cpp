// The gamepad read as keys: each control's pressed state, compared with the last frame's.
#include "platform/gamepad.h"

namespace platform {
namespace {

constexpr int stickX = 0;
constexpr int stickY = 1;
constexpr int dpad = 0;
constexpr int swordButton = 0; // south, "A"
constexpr int jumpButton = 1;  // east, "B"
constexpr int startButton = 7; // the usual place of Start on a twin-stick pad
// A third of the stick's travel: inside it the stick counts as centred.
constexpr Sint16 deadZone = 32767 / 3;

// The pad's controls, each standing for one key.
enum Control { left, right, up, down, sword, jump, start, controlCount };

constexpr SDLKey keyFor[controlCount] = {SDLK_LEFT,  SDLK_RIGHT, SDLK_UP,   SDLK_DOWN,
                                         SDLK_SPACE, SDLK_LCTRL, SDLK_PAUSE};

SDL_Joystick* pad = nullptr;
bool wasPressed[controlCount] = {};

bool button(int index) {
    return index < SDL_JoystickNumButtons(pad) && SDL_JoystickGetButton(pad, index) != 0;
}

Sint16 axis(int index) {
    return index < SDL_JoystickNumAxes(pad) ? SDL_JoystickGetAxis(pad, index) : Sint16{0};
}

Uint8 hat() {
    return SDL_JoystickNumHats(pad) > dpad ? SDL_JoystickGetHat(pad, dpad) : SDL_HAT_CENTERED;
}

void readControls(bool (&pressed)[controlCount]) {
    const Uint8 d = hat();
    pressed[left] = (d & SDL_HAT_LEFT) != 0 || axis(stickX) < -deadZone;
    pressed[right] = (d & SDL_HAT_RIGHT) != 0 || axis(stickX) > deadZone;
    pressed[up] = (d & SDL_HAT_UP) != 0 || axis(stickY) < -deadZone;
    pressed[down] = (d & SDL_HAT_DOWN) != 0 || axis(stickY) > deadZone;
    pressed[sword] = button(swordButton);
    pressed[jump] = button(jumpButton);
    pressed[start] = button(startButton);
}

void pushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

} // namespace

bool openGamepad() {
    closeGamepad();
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
