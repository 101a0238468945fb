// The background and status bar pictures, gathered for saving.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

std::vector<Picture> scenePictures();

} // namespace art
