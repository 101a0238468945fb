// The sprite catalogue: every picture of the game, loaded once at start-up, named by index.
#pragma once

#include <SDL/SDL.h>

#include <string>

constexpr int catalogueSize = 100;

// Raw 24-bit pixel values that mark transparent pixels in the bitmap files.
constexpr Uint32 sceneColourKey = 0x1EFF;  // entries 0 to 47: backgrounds, bar, hero
constexpr Uint32 spriteColourKey = 0xFFFF; // entries 48 to 82: fireballs, enemies, meters

// Entries 0 to 82 are filled by loadSprites (16 and 83 to 99 stay empty) and are never changed
// or released afterwards. Each is a 32-bit surface with per-pixel alpha in the display format.
// Pieces only borrow these surfaces.
extern SDL_Surface* spriteCatalogue[catalogueSize];

// Loads `path` (relative to the working directory) into entry `index`, with the pixels equal to
// `colourKey` made transparent. Returns false, changing nothing, for a negative index or one
// above 99. A file that is missing, cannot be decoded or claims a picture over 16384 pixels a side
// or 16 M pixels in all ends the process: "Unable to load <path>: <error>" on standard error and
// exit status 1. Needs the video mode set.
bool loadSprite(int index, std::string path, Uint32 colourKey);

// Fills the catalogue from the game's list of bitmap files, in index order.
void loadSprites();

// The bitmap file of entry `index`, or null for an entry that no file fills.
const char* spritePath(int index);

// Entry `index`, or null for an index outside the catalogue.
SDL_Surface* spriteAt(int index);

// Frees every loaded entry and empties the catalogue (tests and teardown).
void releaseSprites();
