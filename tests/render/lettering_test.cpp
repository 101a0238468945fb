// The game's lettering: the clock's text, and text blitted from the glyph strip.
#include "render/lettering.h"
#include "sprites/glyph_strip.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(ClockTextTest, MinutesSecondsAndTenthsCutNeverRoundedUp) {
    const struct {
        Uint32 ms;
        const char* shown;
    } cases[] = {{0, "0:00.0"},       {99, "0:00.0"},
                 {100, "0:00.1"},     {9999, "0:09.9"},
                 {59999, "0:59.9"},   {60000, "1:00.0"},
                 {67400, "1:07.4"},   {599999, "9:59.9"},
                 {600000, "10:00.0"}, {UINT32_MAX, "71582:47.2"}};
    for (const auto& test : cases) {
        EXPECT_EQ(ClockText(test.ms).view(), test.shown) << test.ms;
    }
    EXPECT_EQ(CountText(0).view(), "0");
    EXPECT_EQ(CountText(9998).view(), "9998");
}

// Each character takes its own cell of the strip, lower case as upper case, and a character the
// strip lacks leaves its cell empty.
TEST(LetteringTest, EachCharacterIsItsOwnCellOfTheStrip) {
    constexpr int cell = 4;
    constexpr int height = 3;
    const int cells = static_cast<int>(glyphStripCharacters.size());
    // Every cell a colour of its own: red is the cell's number.
    SDL_Surface* strip = testing_support::makeAlphaSurface(cells * cell, height, 0);
    for (int x = 0; x < strip->w; ++x) {
        for (int y = 0; y < height; ++y) {
            static_cast<Uint32*>(strip->pixels)[y * strip->pitch / 4 + x] =
                SDL_MapRGBA(strip->format, static_cast<Uint8>(x / cell), 0, 0, 255);
        }
    }
    spriteCatalogue[sprite::glyphStrip] = strip;
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 200));
    EXPECT_EQ(textWidth("a1~"), 3 * cell);
    EXPECT_EQ(lineHeight(), height);
    EXPECT_EQ(drawText("a1~", 10, 20), 10 + 3 * cell);
    const auto cellOf = [](char c) { return static_cast<Uint8>(glyphStripCharacters.find(c)); };
    EXPECT_EQ(testing_support::screenColourAt(10, 20).r, cellOf('A'));
    EXPECT_EQ(testing_support::screenColourAt(10 + cell + cell - 1, 20 + height - 1).r,
              cellOf('1'));
    EXPECT_EQ(testing_support::screenColourAt(10 + 2 * cell, 20).b, 200); // '~' is not on it
    spriteCatalogue[sprite::glyphStrip] = nullptr;
    SDL_FreeSurface(strip);
    EXPECT_EQ(drawText("A", 0, 0), 0);
}

} // namespace
