// The run's shared state: the piece table, the screen and the frame state through which every
// part of the game meets. Every room may include this; it includes nothing of the game.
#pragma once

#include <SDL/SDL.h>

class GamePiece;

// Roster slots of the run: 0 the World, 1 the hero, 2 to pieceCount the enemies.
constexpr int pieceCount = 10000;
constexpr int worldSlot = 0;
constexpr int heroSlot = 1;
constexpr int firstEnemySlot = 2;

// Window size; the video mode is set once, at start-up.
constexpr int screenWidth = 800;
constexpr int screenHeight = 600;

// Values of gameState. Nothing sets the two spare states; the state loop waits through them as
// through stateStarting.
constexpr int stateStarting = 0;
constexpr int statePlaying = 1;
constexpr int stateSpareTwo = 2;
constexpr int stateSpareThree = 3;
constexpr int stateQuit = 4;

// The piece table, filled once by buildRoster; the entries never change afterwards and the
// pieces live until the end of the run.
extern GamePiece* pieces[pieceCount + 1];

// Enemies still to be released. The enemies in play occupy slots 2 to pieceCount - spawnCounter;
// never below 1.
extern int spawnCounter;

// Timer reading at the last release.
extern Uint32 lastSpawnTick;

// The clock reading of the current frame, taken once as the frame starts. Everything that happens
// in the frame (movement, animation steps, the jump arc, the meter step, the release schedule)
// reads the time here, so every piece of one frame sees the same moment.
extern Uint32 frameTick;

// Timer reading at the end of the frame before the last one, which is where the last frame
// began. Movement is scaled by the time since then, so each frame moves the pieces by a whole
// frame's time, drawing and flip included.
extern Uint32 lastFrameEndTick;

// statePlaying while the run goes on; stateQuit ends the state loop after the current frame.
extern int gameState;

// Set by the hero's quit key: the run ends at once, where the frame stands. No piece moves or draws
// after it, and the shell ends the run without a report.
extern bool quitAtOnce;

// Set by the hero as it dies, once a run: the shell reads it for the results card, the pause and
// the end of the game-over sequence.
extern bool heroDead;

// The current frame's input event. It stays current until the next event arrives, so a held
// key acts in every frame until its release.
extern SDL_Event frameEvent;

// The display surface; every draw blits onto it.
extern SDL_Surface* screen;

// Enemies that left play through their death; the score line and the end-of-run report.
extern int completedCount;

// Enemies in play occupy slots firstEnemySlot up to and including this one.
inline int newestReleasedSlot() {
    return pieceCount - spawnCounter;
}

// Puts every global but `screen` back to its value at program load, with the timestamps at the
// clock reading `now`. The pieces themselves are not destroyed.
void resetShellGlobals(Uint32 now);
