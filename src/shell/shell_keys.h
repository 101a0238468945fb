// The shell's keys: which input events belong to the shell (pause, the whole screen) rather than
// to the pieces. Only says; acting on them is the caller's.
#pragma once

#include <SDL/SDL.h>

// Esc or Pause pressed: pauses a run, and resumes a paused one.
bool isPauseKey(const SDL_Event& event);

// The window losing the input focus: that pauses too, but only a key resumes.
bool isFocusLoss(const SDL_Event& event);

// F11, or Enter with either Alt key held: switches between the window and the whole screen.
bool isFullscreenToggle(const SDL_Event& event);

// A shell key let go. It is the shell's too, and must never stand in for a held key.
bool isShellKeyLetGo(const SDL_Event& event);
