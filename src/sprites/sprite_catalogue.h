// The sprite catalogue: every picture of the game, loaded once at start-up, named by index.
#pragma once

#include <SDL/SDL.h>

#include <string>

constexpr int catalogueSize = 100;

// Raw 24-bit pixel values that mark transparent pixels in the bitmap files: the `scene` and
// `sprite` keys of the picture list (sprites/sprite_list.h).
constexpr Uint32 sceneColourKey = 0x1EFF;
constexpr Uint32 spriteColourKey = 0xFFFF;

// The catalogue indices by name, as the picture list gives them.
namespace sprite {
// NOLINTNEXTLINE(bugprone-macro-parentheses): `name` is the name declared, never an expression
#define SPRITE(index, name, key, file) constexpr int name = index;
#include "sprites/sprite_list.h"
// The entry among the hero's pictures that no file fills; the hero's spare idle animation binds it.
constexpr int unfilled = 16;
} // namespace sprite

// One line of the picture list: the catalogue entry it fills, its bitmap file and colour key.
struct ListedSprite {
    int index;
    const char* path;
    Uint32 colourKey;
};

// The picture list as data, in its order: what loadSprites loads, one entry at a time. Tests and
// tools walk it rather than a range of indices, so a picture added to the list is never missed.
inline constexpr ListedSprite listedSprites[] = {
#define SPRITE(index, name, key, file) {index, file, key##ColourKey},
#include "sprites/sprite_list.h"
};

// Filled by loadSprites from the picture list (entries it does not name stay empty) and never
// changed or released afterwards. Each is a 32-bit surface with per-pixel alpha in the display
// format. Pieces only borrow these surfaces.
extern SDL_Surface* spriteCatalogue[catalogueSize];

// Loads `path` (relative to the working directory) into entry `index`, with the pixels equal to
// `colourKey` made transparent. Returns false, changing nothing, for an index outside the
// catalogue, and for a file that is missing, cannot be decoded or claims an implausibly large
// picture, which also prints "Unable to load <path>: <error>" on standard error: the game cannot
// start without it (status 1). Needs the video mode set.
bool loadSprite(int index, const std::string& path, Uint32 colourKey);

// What loadSprite does with an opened bitmap, short of ending the process: checks the header's
// claimed size, decodes the picture, makes the pixels equal to `colourKey` transparent and converts
// it to the catalogue's format. Closes `file`. Null, with SDL's error saying why, when the picture
// is refused. Needs the video mode set.
SDL_Surface* decodeSprite(SDL_RWops* file, Uint32 colourKey);

// Fills the catalogue from the picture list, in index order; false at the first picture that
// cannot be loaded.
bool loadSprites();

// The bitmap file of entry `index`, or null for an entry that no file fills.
const char* spritePath(int index);

// Entry `index`, or null for an index outside the catalogue.
SDL_Surface* spriteAt(int index);

// Frees every loaded entry and empties the catalogue (tests and teardown).
void releaseSprites();
