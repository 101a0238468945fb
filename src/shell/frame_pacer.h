// The frame cap: keeps the frame loop at or below a chosen number of frames per second.
#pragma once

#include <SDL/SDL.h>

// Spaces frame starts at least 1000 / fps ms apart on average, by sleeping (platform::delay)
// until the next start is due, never by spinning. Without a cap (fps 0) it never waits, and the
// loop runs flat out. Times are platform::ticks() readings.
class FramePacer {
  public:
    // Lowest and highest cap the command line and the settings accept. Animations, strikes and
    // the meters step at the first frame start past their pace, so a capped loop steps them a
    // little late; below this cap they would run at under three quarters of their pace.
    static constexpr int slowestCap = 30;
    static constexpr int fastestCap = 1000;

    // `framesPerSecond` 0 for no cap, otherwise between slowestCap and fastestCap.
    explicit FramePacer(int framesPerSecond = 0);

    // Called once per frame, before it: sleeps until the frame is due. The first call starts
    // the schedule. A frame that comes after its due time starts the schedule afresh, so a slow
    // stretch is never made up by a burst.
    void waitForFrameStart();

    // The cap in force; 0 for none.
    int cap() const { return fps; }

  private:
    int fps;
    Uint32 scheduleStart = 0; // the reading the schedule counts from
    Uint32 framesDue = 0;     // frames started since then
    bool started = false;
};
