// Saving a picture as a see-through PNG, for the desktop icons.
#pragma once

#include "art/image.h"

#include <filesystem>

namespace art {

// Writes an 8-bit RGBA PNG (libpng), transparent pixels fully transparent: for the desktop's
// icons, which are no game data and may be see-through.
void writePng(const std::filesystem::path& path, const Image& image);

} // namespace art
