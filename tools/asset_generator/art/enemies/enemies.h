// Every enemy-side picture: the three enemy kinds and the shooter's fireball.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

std::vector<Picture> enemyPictures();

} // namespace art
