// The screen of the benchmark programs: SDL's dummy video driver, no window and no sound device.
#pragma once

// Starts SDL's timer and video on the dummy drivers and sets the game's `screen` to a surface of
// the game's size, as the window would give. Ends the process with status 1, naming `program` and
// SDL's error, when SDL refuses.
void openHeadlessScreen(const char* program);
