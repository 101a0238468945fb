// The gamepad: the first joystick SDL finds, read once a frame and turned into the keys it
// stands for, so that it steers the hero exactly as the keyboard does.
#pragma once

#include <SDL/SDL.h>

namespace platform {

// Opens the first joystick, if there is one; returns whether it did. Needs SDL's joystick
// subsystem started. Its own events are switched off: the pad is read by pollGamepad instead,
// so a noisy stick never fills the event queue ahead of the keyboard.
bool openGamepad();
void closeGamepad();

// Reads the pad and pushes a key event onto SDL's queue for every control that changed since
// the last reading: the d-pad (hat 0) and the left stick (axes 0 and 1) as the arrow keys,
// button 0 as Space, button 1 as Left Ctrl, Start (button 7) as Pause. A stick direction
// counts as pressed past a third of its travel and as let go inside it, so wobbling within
// the dead zone pushes nothing. Does nothing without a pad.
void pollGamepad();

} // namespace platform
