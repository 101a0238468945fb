// The X display going away under a running game. In a browser there is no display connection,
// and both calls do nothing.
#pragma once

namespace platform {

// Once the window is open: should the connection to the X server break, the process ends at
// once with "ghoulrun: lost the display" on standard error and status 1, once the work set below
// has run.
void endOnLostDisplay();

// Sets the work that runs when the display is lost, after that line and before the process ends:
// what must not be lost with the window (the settings). It may call nothing of SDL or Xlib, and
// must be quick; the last one set is the one that runs.
void beforeEndOnLostDisplay(void (*work)());

} // namespace platform
