// The status bar, its health and ammo meters, the pause banner, the glyph strip and the results
// card.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

std::vector<Picture> interfacePictures();

} // namespace art
