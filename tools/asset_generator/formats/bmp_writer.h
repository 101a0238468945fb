// Saving a picture as a 24-bit BMP, the format the game loads.
#pragma once

#include "art/image.h"

#include <filesystem>

namespace art {

// Writes a bottom-up 24-bit BMP. Transparent pixels get exactly `key`; an opaque pixel that
// happens to equal the key is nudged by one level of blue so that it stays visible.
void writeBmp(const std::filesystem::path& path, const Image& image, Rgb key);

} // namespace art
