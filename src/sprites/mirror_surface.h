// Mirrored copies of pictures, and 32-bit pixel access.
#pragma once

#include <SDL/SDL.h>

// Flags for mirrorSurface; both together turn the picture by half a turn.
constexpr Uint32 FLIP_VERTICAL = 1;   // (x, y) goes to (x, h-1-y)
constexpr Uint32 FLIP_HORIZONTAL = 2; // (x, y) goes to (w-1-x, y)

// A new software surface of the source's size, depth and colour masks holding the source
// mirrored by `flags`; with neither flag set it stays all zero. A colour-keyed source gives a
// copy without alpha mask that carries the same key; otherwise the copy keeps the source's alpha
// mask. The caller owns the result and frees it with SDL_FreeSurface. 32-bit sources only.
SDL_Surface* mirrorSurface(SDL_Surface* source, Uint32 flags);

// The 32-bit pixel at column x, row y. No bounds check and no lock: the caller locks when the
// surface needs it.
Uint32 getPixel(SDL_Surface* surface, int x, int y);

// Stores a 32-bit pixel at column x, row y; no bounds check and no lock.
void putPixel(SDL_Surface* surface, int x, int y, Uint32 pixel);
