// How many processor cores the game may run on at once.
#pragma once

namespace platform {

// The cores this process may run on: those its CPU affinity allows where the system says, or
// else every core the machine reports; at least 1.
int usableCores();

} // namespace platform
