// Mirrored copies: where each flag value moves every pixel, rows stepped by pitch, alpha kept.
#include "sprites/mirror_surface.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

// Pixel (x, y) of the picture holds a value naming its place.
Uint32 place(int x, int y) {
    return 0xFF000000u | (y << 8) | x;
}

TEST(MirrorSurfaceTest, EachFlagValueMovesEveryPixelWhereItSays) {
    // A 3 x 2 view into a buffer 4 pixels wide: rows are 16 bytes apart, not 12.
    Uint32 buffer[8] = {};
    SDL_Surface* source = SDL_CreateRGBSurfaceFrom(buffer, 3, 2, 32, 16, 0x00FF0000, 0x0000FF00,
                                                   0x000000FF, 0xFF000000);
    for (int i = 0; i < 6; ++i) {
        putPixel(source, i % 3, i / 3, place(i % 3, i / 3));
    }
    ASSERT_EQ(buffer[6], place(2, 1));
    for (Uint32 flags : {0u, FLIP_VERTICAL, FLIP_HORIZONTAL, FLIP_VERTICAL | FLIP_HORIZONTAL}) {
        SDL_Surface* copy = mirrorSurface(source, flags);
        ASSERT_TRUE(copy->w == 3 && copy->h == 2) << flags;
        // The alpha channel comes along: a left-facing hero keeps its see-through pixels.
        EXPECT_EQ(copy->format->Amask, 0xFF000000u);
        for (int i = 0; i < 6; ++i) {
            const int x = i % 3, y = i / 3;
            const int fromX = flags & FLIP_HORIZONTAL ? 2 - x : x;
            const int fromY = flags & FLIP_VERTICAL ? 1 - y : y;
            EXPECT_EQ(getPixel(copy, x, y), flags == 0 ? 0u : place(fromX, fromY))
                << "flags " << flags << " at " << x << "," << y;
        }
        SDL_FreeSurface(copy);
    }
    SDL_FreeSurface(source);
}

} // namespace
