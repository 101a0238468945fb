// The underground background.
#pragma once

#include "art/image.h"

namespace art {

// The underground background at drawing size.
Image drawUnderground();

} // namespace art
