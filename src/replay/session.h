// Where each frame's clock reading and input event come from: the live machine, the live machine
// with a recorder beside it, or a recording played back.
#pragma once

#include <SDL/SDL.h>

#include <string>

namespace replay {

// What the command line asked for. With both paths empty the run is live, exactly as without
// any of this.
struct Options {
    std::string recordPath; // write the run to this file
    std::string replayPath; // play this recording back instead of reading the machine
    bool headless = false;  // with replayPath: no window, no sound device, no pacing, no blits
};

// Sets the run up before start-up. A recording to replay is read and checked whole here; one
// that cannot be replayed prints "ghoulrun: <file>: <reason>" on standard error and returns false:
// the run must not start, and ends with status 1. A recording to make is created; when it cannot
// be, or later when a write to it fails, the same kind of line says so once and the run plays on
// unrecorded (finish() then returns status 1). Headless, SDL is pointed at its dummy video and
// audio drivers and the screen's blits are switched off.
bool begin(const Options& options);

// Back to a live run with no recorder (for tests).
void stop();

bool replaying();
bool headless();

// The clock reading the pieces are built at, once, just before the roster. Live: the clock.
Uint32 rosterReading();

// The current frame's clock reading, taken as the frame starts. Replaying with a window, waits
// first until as much time has passed since the first frame as had passed in the recorded run,
// or until a signal asks the run to end.
Uint32 frameReading();

// Acts on an event that belongs to the shell (a pause, the whole screen) and says whether it took
// it; a taken event never becomes the frame's.
using ShellEventTaker = bool (*)(const SDL_Event& event);

// Step 2 of the frame: stores a newly arrived event in `event`, or leaves it as it was. Live,
// one SDL_PollEvent, offered first to `takeForShell` (null: none); recording, the frame is then
// written; replaying, the recorded event, while the real queue is only watched for the window
// being closed.
void pollFrameEvent(SDL_Event& event, ShellEventTaker takeForShell);

// After the frame's flip: every check interval the recorder writes the state digest, and a
// replay compares it with the recorded one. A replay that went another way says so, "ghoulrun:
// <file>: ...", and is over (replayOver) from then on; finish() then returns status 1.
void endFrame();

// Play again: a recording ends here (the new run is not recorded), and the game's clock reads 0
// from now on, as a new process's does. Not while replaying.
void startAfresh();

// The pause: from holdClock to releaseClock the game's clock stands still. Live and recording,
// every frame reading and the report's reading leave out all the time spent paused.
void holdClock();
void releaseClock();

// True once a replay has run out of recorded frames, its window was closed or it went another way
// than the recorded run: the run ends there.
bool replayOver();

// The clock reading of the end-of-run report: the live clock (recorded as the run's last
// record), or the recorded one.
Uint32 reportReading();

// Every ending of the run goes through here just before the process ends: the recorder writes out
// what it still holds and closes, and a replay prints its closing line, "replay: <frames> frames,
// state <digest>". Returns the exit status: EXIT_FAILURE when the recording was lost on the way
// (so that scripts notice) or the replay went astray; EXIT_SUCCESS otherwise.
int finish();

// Called before the roster is destroyed, so the replay's closing line can still digest it.
void noteFinalState();

} // namespace replay
