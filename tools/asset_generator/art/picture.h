// A finished picture with the file name it is saved under and its transparent colour.
#pragma once

#include "art/image.h"

#include <string>

namespace art {

// Every picture is drawn at half size and enlarged by this factor when saved, which gives the
// whole set the same chunky pixel grid.
constexpr int pixelSize = 2;

// The two transparent colours of the game's bitmaps: scenery, bar and hero use the first,
// fireballs, enemies and meters the second.
constexpr Rgb sceneKey{0, 30, 255};
constexpr Rgb spriteKey{0, 255, 255};

struct Picture {
    std::string name; // file name under images/, without ".bmp"
    Image image;      // at drawing size; enlarged by pixelSize when saved
    Rgb key;
};

} // namespace art
