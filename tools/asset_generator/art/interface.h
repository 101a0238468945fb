// The status bar, its health and ammo meters, and the pause banner.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

std::vector<Picture> interfacePictures();

} // namespace art
