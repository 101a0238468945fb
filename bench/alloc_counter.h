// Counting the benchmark's heap allocations and surface copies while a window of time is open.
#pragma once

#include <SDL/SDL.h>

namespace bench {

struct AllocationCounts {
    long allocations = 0;      // malloc, calloc and realloc calls (operator new included)
    long inMirroredCopies = 0; // of those, made while a mirrored copy was alive
    long surfacesCreated = 0;  // SDL_CreateRGBSurface calls
};

// Starts counting from zero.
void startCounting();
// Stops counting and returns what was counted since startCounting.
AllocationCounts stopCounting();

// The mirrored copy alive right now (made and freed within one draw), or null.
SDL_Surface* liveCopy();

} // namespace bench
