// Storage for the run's shared state.
#include "state/globals.h"

// The two timestamps hold the timer's reading at program load, before SDL has started it: 0.
GamePiece* pieces[pieceCount + 1] = {};
int spawnCounter = pieceCount - 1;
Uint32 lastSpawnTick = 0;
Uint32 lastFrameEndTick = 0;
Uint32 frameTick = lastFrameEndTick;
int gameState = stateStarting;
bool quitAtOnce = false;
bool heroDead = false;
SDL_Event frameEvent = {};
SDL_Surface* screen = nullptr;
int completedCount = 0;

void resetShellGlobals(Uint32 now) {
    for (GamePiece*& piece : pieces) {
        piece = nullptr;
    }
    spawnCounter = pieceCount - 1;
    lastSpawnTick = now;
    lastFrameEndTick = now;
    frameTick = now;
    gameState = stateStarting;
    quitAtOnce = false;
    heroDead = false;
    frameEvent = SDL_Event{};
    completedCount = 0;
}
