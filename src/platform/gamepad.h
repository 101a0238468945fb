// The gamepad: the first joystick SDL finds, read once a frame and turned into the keys it
// stands for, so that it steers the hero exactly as the keyboard does.
//
// In the browser (gamepad_web.cpp) the pad is the first one the browser lists, in the browser's
// standard layout when the browser knows it: while none is held each reading looks for one, as a
// browser lists a pad only after its first press, and a pad the browser drops lets go of its keys.
#pragma once

#include "platform/pad_controls.h"

namespace platform {

// Opens the first pad SDL lists, its controls standing for `keys`, if there is one; returns whether
// it did. Needs SDL's joystick subsystem started; call it once each time the subsystem has started,
// as it takes the layout the compatibility layer chose then. A pad SDL's controller database knows
// comes in the standard layout when that was asked for (setCompatibilityHints); any other pad in
// its raw layout, the subsystem started again for it if need be. Its own events are switched off:
// the pad is read by pollGamepad instead, so a noisy stick never fills the event queue ahead of the
// keyboard.
bool openGamepad(const PadKeys& keys);
void closeGamepad();

// Reads the pad and pushes a key event onto SDL's queue for every control that changed since
// the last reading, as the key it stands for. In the raw layout A and B are the pad's first two
// buttons, Start sits where twin-stick pads usually put it and the d-pad is the first hat; in the
// standard layout they are the layer's own A, B, Start and d-pad buttons. A stick direction counts
// as pressed past the dead zone (pad_controls.h) and as let go inside it, so wobbling within it
// pushes nothing. Does nothing without a pad.
void pollGamepad();

} // namespace platform
