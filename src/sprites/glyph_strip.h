// The glyph strip: the game's lettering as one picture, which the asset generator draws and the
// game blits text from.
#pragma once

#include <string_view>

// The characters of the strip, in order: each has one cell of the same width, side by side in a
// single row, the strip's full height tall. A space is an empty cell.
constexpr std::string_view glyphStripCharacters = " 0123456789:.-/!+<>%ABCDEFGHIJKLMNOPQRSTUVWXYZ";
