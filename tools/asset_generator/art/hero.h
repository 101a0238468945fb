// The hero's pictures, and his head for the desktop icon.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

std::vector<Picture> heroPictures();

// The hero's head in its first idle frame, in a `size` x `size` square at drawing size.
Image heroHead(int size);

} // namespace art
