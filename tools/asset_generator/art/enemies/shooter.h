// The shooter's pictures, one part of the enemy-side set.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

// Appends every frame of the shooter to `pictures`.
void addShooterPictures(std::vector<Picture>& pictures);

} // namespace art
