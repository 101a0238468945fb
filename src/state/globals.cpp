// Storage for the run's shared state.
#include "state/globals.h"

#include "platform/clock.h"

GamePiece* pieces[pieceCount + 1] = {};
int spawnCounter = pieceCount - 1;
Uint32 lastSpawnTick = platform::ticks();
Uint32 lastFrameEndTick = platform::ticks();
Uint32 frameTick = lastFrameEndTick;
int gameState = stateStarting;
SDL_Event frameEvent = {};
SDL_Surface* screen = nullptr;
int completedCount = 0;

void resetShellGlobals() {
    for (GamePiece*& piece : pieces) {
        piece = nullptr;
    }
    spawnCounter = pieceCount - 1;
    lastSpawnTick = platform::ticks();
    lastFrameEndTick = platform::ticks();
    frameTick = lastFrameEndTick;
    gameState = stateStarting;
    frameEvent = SDL_Event{};
    completedCount = 0;
}
