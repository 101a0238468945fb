// The crawler's pictures, one part of the enemy-side set.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

// Appends every frame of the crawler to `pictures`.
void addCrawlerPictures(std::vector<Picture>& pictures);

} // namespace art
