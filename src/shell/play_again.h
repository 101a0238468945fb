// Play again: while the results card is up, Space or Enter (the pad's first button acts as Space)
// asks for a new run in the same window.
#pragma once

#include <SDL/SDL.h>

// Space, Enter or keypad Enter pressed without Alt (Alt+Enter switches to the whole screen).
bool isPlayAgainKey(const SDL_Event& event);

// Noted by the frame's event poll; the new run starts after the frame.
void requestPlayAgain();
bool playAgainRequested();
void clearPlayAgainRequest();
