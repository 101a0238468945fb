// The shell's own controls among the input events: the ones that pause the run or switch between
// the window and the whole screen.
#pragma once

#include <SDL/SDL.h>

// Looks at an event the frame polled. When it is one of the shell's controls (Esc or Pause
// pressed, the window losing the input focus, F11 or Alt+Enter pressed, a volume key pressed or
// let go, Space or Enter while the
// results card is up and the run is not a replay), acts on it and returns
// true: the event is then not the frame's. Every other event returns false and goes to the
// pieces as designed.
bool takeShellControl(const SDL_Event& event);
