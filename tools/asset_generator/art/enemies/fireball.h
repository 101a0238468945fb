// The fireball's pictures, one part of the enemy-side set.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

// Appends every frame of the fireball to `pictures`.
void addFireballPictures(std::vector<Picture>& pictures);

} // namespace art
