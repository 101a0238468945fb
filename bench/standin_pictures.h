// Stand-in pictures for the benchmark when no generated picture set is at hand.
#pragma once

#include <filesystem>

namespace bench {

// Writes every file of the picture list under `folder`/images as a 24-bit bitmap of about the
// size the game's own pictures have (each enemy kind's exactly the size its line on the kinds
// list gives), with the colour-keyed (transparent) corners the real figures have.
void writeStandInPictures(const std::filesystem::path& folder);

} // namespace bench
