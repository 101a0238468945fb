// The desktop icon, cut from the game's own pictures.
#pragma once

#include "art/image.h"

namespace art {

// The icon's side at drawing size; every size the desktop asks for is a whole multiple of it.
constexpr int iconDrawingSize = 16;

// The desktop icon at drawing size: the hero's head before the moon of the city's night sky.
Image drawIcon();

} // namespace art
