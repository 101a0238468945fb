// Stand-in pictures for the benchmark when no generated picture set is at hand.
#pragma once

#include <filesystem>

namespace bench {

// Writes every file of the sprite catalogue under `folder`/images as a 24-bit bitmap of about
// the size the game's own pictures have: backgrounds 2600x600 and 1600x600, the hero 80x100,
// enemies 60 to 100 px, with the colour-keyed (transparent) corners the real figures have.
void writeStandInPictures(const std::filesystem::path& folder);

} // namespace bench
