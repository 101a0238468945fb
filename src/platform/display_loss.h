// The X display going away under a running game.
#pragma once

namespace platform {

// Once the window is open: should the connection to the X server break, the process ends at
// once with "ghoulrun: lost the display" on standard error and status 1.
void endOnLostDisplay();

} // namespace platform
