// Text in the game's own lettering, blitted glyph by glyph from the glyph strip.
#pragma once

#include <SDL/SDL.h>

#include <array>
#include <string_view>

// Blits `text` with its top-left corner at (x, y), one cell of the strip per character; a
// character the strip lacks leaves an empty cell. Lower case is drawn as upper case. Returns the
// x just past the text. Draws nothing while the strip is not loaded. Allocates nothing.
int drawText(std::string_view text, int x, int y);

// The width of `text` as drawText draws it, and the height of a line; 0 while the strip is not
// loaded.
int textWidth(std::string_view text);
int lineHeight();

// Game time as a clock shows it, "m:ss.t": whole minutes (as many digits as they take), seconds
// and tenths. Tenths are cut, never rounded up, so the clock never shows a tenth not yet played.
class ClockText {
  public:
    explicit ClockText(Uint32 ms);
    std::string_view view() const { return {characters.data(), length}; }

  private:
    std::array<char, 16> characters{};
    std::size_t length = 0;
};

// A count as decimal digits, for drawText.
class CountText {
  public:
    explicit CountText(long count);
    std::string_view view() const { return {characters.data(), length}; }

  private:
    std::array<char, 24> characters{};
    std::size_t length = 0;
};
