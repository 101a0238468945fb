// The frame cap: a schedule of frame starts, kept by sleeping until each is due.
#include "shell/frame_pacer.h"

#include "platform/clock.h"

namespace {

constexpr Uint64 msPerSecond = 1000;

} // namespace

FramePacer::FramePacer(int framesPerSecond) : fps(framesPerSecond) {}

void FramePacer::waitForFrameStart() {
    if (fps <= 0) {
        return;
    }
    const Uint32 now = platform::ticks();
    if (!started) {
        started = true;
        scheduleStart = now;
        framesDue = 0;
        return;
    }
    ++framesDue;
    // Counted from the schedule's start, so that 1000 / fps need not be a whole number of ms.
    const Uint32 due = scheduleStart + static_cast<Uint32>(framesDue * msPerSecond / fps);
    const Uint32 ahead = due - now;
    if (static_cast<Sint32>(ahead) <= 0) {
        scheduleStart = now;
        framesDue = 0;
        return;
    }
    platform::delay(ahead);
}
