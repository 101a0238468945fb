// The key events a pad's controls push: one for each control that changed since the last reading.
#include "platform/pad_controls.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

void pushKey(SDLKey key, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

} // namespace

void PadKeyEvents::standFor(const PadKeys& keys) {
    const SDLKey mapped[padControlCount] = {keys.left,  keys.right, keys.up,   keys.down,
                                            keys.sword, keys.jump,  keys.start};
    std::copy(std::begin(mapped), std::end(mapped), std::begin(keyFor_));
}

void PadKeyEvents::pushChanges(const PadPressed& pressed) {
    for (int control = 0; control < padControlCount; ++control) {
        if (pressed[control] != wasPressed_[control]) {
            pushKey(keyFor_[control], pressed[control]);
            wasPressed_[control] = pressed[control];
        }
    }
}

void PadKeyEvents::letGoOfAll() {
    const PadPressed nothing = {};
    pushChanges(nothing);
}

void PadKeyEvents::forget() {
    std::fill(std::begin(wasPressed_), std::end(wasPressed_), false);
}

} // namespace platform
