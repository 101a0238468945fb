// The city background.
#pragma once

#include "art/image.h"

namespace art {

// The city background at drawing size.
Image drawCity();

} // namespace art
