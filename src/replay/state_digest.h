// The state digest: one 64-bit hash of everything that makes a frame of the run what it is.
#pragma once

#include <cstdint>

namespace replay {

// Hashes, in slot order from the World to the newest enemy in play, every piece's position,
// motion, facing, animation, frame, animation clock, lift, `dead` flag and its animation table as
// catalogue entries; then the World's meters, scroll and scene, completedCount, the spawn counter
// and the run's history of shown pictures and effect requests (noteFrameShown). Two runs with the
// same digest after every frame went the same way, on the screen and in the speakers. Reads the
// piece table; allocates nothing.
std::uint64_t stateDigest();

// After a frame: folds into the run's history the catalogue entry each piece in play showed and
// the effects the hero asked for since the frame before. Recorder and replay both call it at
// every frame, so a picture or a sound that is shown for a moment only still counts.
void noteFrameShown();

// Counts the hero's effect requests from now on, for noteFrameShown; once, however often called.
void followEffectRequests();

// A fresh history, as at the start of a run (tests).
void forgetHistory();

} // namespace replay
