// The state digest: one 64-bit hash of everything that makes a frame of the run what it is.
#pragma once

#include <cstdint>

namespace replay {

// Hashes, in slot order from the World to the newest enemy in play, every piece's position,
// motion, facing, animation, frame, animation clock, lift and `dead` flag; then the World's
// meters, scroll and scene, completedCount and the spawn counter. Two runs with the same digest
// after every frame went the same way. Reads the piece table; allocates nothing.
std::uint64_t stateDigest();

} // namespace replay
