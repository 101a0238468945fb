// The crowding floor of a frame: its chain of dependent pushes, replayed alone.
#pragma once

namespace bench {

// What one frame's crowding passes came to, written down while `capture` was on.
struct CrowdingChain {
    long passes = 0;      // enemies' passes
    long pairs = 0;       // enemy pairs the rule compares, per axis
    long pushes = 0;      // pushes on both axes, all of them
    long chainPushes = 0; // of those, pushes from enemies updated earlier in the frame
    long mismatches = 0;  // passes whose result differed from the plain pass in any bit
};

// While on, every crowding pass of the frame loop is also worked out by the plain rule, split
// where the enemy stands: the pushes from the slots below it (which stand where the frame found
// them, so another core can work them out ahead) and those from the slots above it (already
// updated this frame: the chain only the frame loop can follow, one push after another). Every
// push is written down, with where each pass and its chain start. The game's own result is
// returned unchanged and compared with the plain one bit for bit.
void capture(bool on);
const CrowdingChain& capturedChain();

// The crowding floor: the captured chain of dependent pushes on this thread, with the plain
// rule's arithmetic and nothing else (no looking for which enemies are near), in ms.
double crowdingFloorMs();
// The crowding work: every captured push of every pass, in the same way, in ms. Not a floor of
// the frame (two cores share it), but what the crowding costs at the least in all.
double crowdingWorkMs();

} // namespace bench
