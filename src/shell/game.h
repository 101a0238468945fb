// The game shell: start-up, the roster, the state loop, one frame, and the end-of-run report.
#pragma once

#include <SDL/SDL.h>

#include "replay/session.h"

#include <iosfwd>
#include <optional>

class GamePiece;

// What the command line asked of the run. Left as they are, the run is the plain game. An option
// left empty was not given: the player's settings (or the default) decide it.
struct RunOptions {
    replay::Options replay;         // recording or replaying
    std::optional<int> fps;         // the frame cap; 0 runs flat out
    std::optional<bool> fullscreen; // start on the whole screen
    std::optional<int> scale;       // the window this many times its size
};

// How a run ends: the hero's quit key or the card's q (at once, no report); the window closed, a
// signal or an unknown state (the report); the game-over sequence played out; a replay over.
enum class RunEnd { quit, closed, gameOver, replayOver };

// The whole run: start-up, the state loop, teardown and the report, live, recorded or replayed
// as `options` say. Guards the process first (signals, the console, the display). Every end of
// the run returns here; main returns the exit status it gives: 1 when a start-up failed, the
// recording was lost or a replay went astray, else 0.
int runGame(const RunOptions& options);

// After the state loop: ends the run as `end` says (the report only when closed), keeps what the
// player changed in the settings and finishes the recording or replay. Returns the exit status.
int endRun(RunEnd end);

// Starts SDL, the window (as the whole screen when `fullscreen`, `scale` times its size), the sound
// engine and its music, the sprite catalogue and the roster. A media-library failure or a picture
// that cannot be loaded prints a message on standard error and returns false.
bool startUp(bool fullscreen = false, int scale = 1);

// Builds every piece of the run: the enemies in slots pieceCount down to 2 (out of play), then
// the hero in slot 1 and the World in slot 0.
void buildRoster();

// The enemy for roster slot `slot`: its kind and speed by slot, out of play at (0, 0).
GamePiece* makeEnemy(int slot);

// Play again: ends the game-over sequence (the jingle cut), and starts a new run in the same
// window: the roster, meters, scroll, schedule, clock and counters afresh, the music started
// again, the console told what a new start tells. A recording ends with the run before.
void startNewRun();

// Destroys every piece of the table and empties it.
void destroyRoster();

// Calls runFrame until the run ends, and says how: the game state stateQuit (closing the window,
// or a signal, which sets it), the quit key, a replay over, or the first frame boundary once the
// game-over sequence has played out after the hero's death.
RunEnd stateLoop();

// One frame: fill, one input event, at most one release, every update in piece order, flip.
// Returns the state to continue with; stateQuit at once, drawing nothing more, when the frame's
// input ended the run at once (quitAtOnce).
int runFrame();

// Releases the next enemy when the release interval has passed since the last release.
void releaseDueEnemy();

// The release interval in ms at timer reading `now`: a second at first, shrinking by a
// millisecond at a steady pace until it reaches 0 (one release per frame).
Uint32 releaseInterval(Uint32 now);

// After the state loop: destroys the roster, prints the report for the run ending now and waits
// for Enter when a terminal is there to press it (not after a signal).
void finishRun(std::ostream& out);

// The three lines of the end-of-run report, for a run that ended at timer reading `now`.
void writeReport(std::ostream& out, Uint32 now);
