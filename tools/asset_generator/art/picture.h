// A finished picture with the file name it is saved under and its transparent colour.
#pragma once

#include "art/image.h"

#include <string>
#include <vector>

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

std::vector<Picture> heroPictures();
std::vector<Picture> enemyPictures();
std::vector<Picture> interfacePictures();
std::vector<Picture> scenePictures();

// The hero's head in its first idle frame, in a `size` x `size` square at drawing size.
Image heroHead(int size);
// The desktop icon at drawing size: the hero's head before the moon of the city's night sky.
Image drawIcon();
// The icon's side at drawing size; every size the desktop asks for is a whole multiple of it.
constexpr int iconDrawingSize = 16;

} // namespace art

namespace art {

// The two backgrounds at drawing size.
Image drawCity();
Image drawUnderground();

} // namespace art
