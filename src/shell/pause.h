// Pause: the game's time stands still, its sound with it, and a banner shows over the last frame
// until the player resumes.
#pragma once

#include <SDL/SDL.h>

// The banner ("images/paused.bmp", drawn in the game's own lettering), read at start-up. A
// missing or broken banner only means that a pause shows none.
void loadPauseBanner();
void releasePauseBanner();

// Holds the run until the player resumes with Esc or Pause, or closes the window (the closing
// then reaches the frame after the pause, as the frame's event). Game time stands still meanwhile:
// the frame clock skips the paused time, so nothing moves, nothing is released, no meter changes,
// the jump arc and the swing wait. Music and effects pause too. Waits on SDL's event queue, never
// spinning. The shell's controls work while paused (the table in shell_controls): the whole screen,
// and the volume, whose new level shows over the paused frame. Once the hero is dying, and in a
// replay, it does nothing.
void pauseUntilResumed();

// Its steps, for tests. beginPause returns false when no pause can start now; the key events that
// arrive while paused (but the shell's keys) are kept, and handed in order to the frames after it,
// ahead of the events that arrived behind the key that resumed.
bool beginPause();
bool handlePausedEvent(const SDL_Event& event); // true when the event ends the pause
void endPause();
