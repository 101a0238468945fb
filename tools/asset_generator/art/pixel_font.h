// A tiny 3x5 capital-letter pixel font for the labels and signs in the pictures.
#pragma once

#include "art/image.h"

#include <string_view>

namespace art {

constexpr int glyphWidth = 3;
constexpr int glyphHeight = 5;
constexpr int glyphAdvance = 4; // glyph plus one column of space

// Width in pixels of `text` at `size` pixels per font dot.
int textWidth(std::string_view text, int size = 1);

// Draws `text` with its top-left corner at (x, y), each font dot a size x size block.
// Characters the font lacks are drawn as spaces.
void drawText(Image& image, int x, int y, std::string_view text, Rgb colour, int size = 1);

// Draws `text` with a one-dot shadow below and to the right.
void drawShadowedText(Image& image, int x, int y, std::string_view text, Rgb colour, Rgb shadow,
                      int size = 1);

} // namespace art
