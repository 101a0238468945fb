// The run as the player sees it: the clock and the enemies defeated while playing, the run kept
// among the best runs when the hero dies, and the results card from then on.
#pragma once

#include <SDL/SDL.h>

// Once per frame, after every piece has drawn: writes the run's figures into the status bar. The
// first frame that finds the hero dead notes the run (live, it is saved among the best runs; a
// replay only reads them, and never changes them) and from then on the results card is drawn
// over the scene. The frame's first call starts the run's clock.
void showRunResults();

// Whether the results card is up: the hero has died.
bool resultsShown();

// Game time since the run's first frame; the pauses are left out, as the frame clock leaves them.
Uint32 runGameTime();

// Forgets the run, for a new one: its first frame starts the clock again.
void forgetRunResults();
