// The attacker's pictures, one part of the enemy-side set.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

// Appends every frame of the attacker to `pictures`.
void addAttackerPictures(std::vector<Picture>& pictures);

} // namespace art
