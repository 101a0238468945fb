// The game's one reading of time: SDL's millisecond timer in play, a settable clock in tests.
#pragma once

#include <SDL/SDL.h>

namespace platform {

// Milliseconds since SDL started (SDL_GetTicks), or the test clock's reading while one is set.
// Every timer reading of the game goes through here; differences are taken in Uint32 arithmetic.
Uint32 ticks();

// Waits for ms milliseconds (SDL_Delay); with the test clock set it advances that clock instead,
// so timed sequences run instantly and exactly in tests.
void delay(Uint32 ms);

// Test clock control. Safe to call from any thread.
void useTestClock(Uint32 now);
void setTestClock(Uint32 now);
void advanceTestClock(Uint32 ms);
// From now on each delay on the test clock passes `ms` more than it was asked to, as sleeps on a
// busy machine do; 0 for exact sleeps.
void setTestOversleep(Uint32 ms);
void useRealClock();

} // namespace platform
