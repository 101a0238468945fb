// Play again: while the results card is up, Space or Enter (the pad's first button acts as Space)
// asks for a new run in the same window (the keys: the shell's table of controls).
#pragma once

// Noted by the frame's event poll; the new run starts after the frame.
void requestPlayAgain();
bool playAgainRequested();
void clearPlayAgainRequest();
