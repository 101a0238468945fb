// Mirrored copies: where each flag value moves every pixel, rows stepped by pitch, and what the
// copy keeps of the source's transparency.
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

TEST(MirrorSurfaceTest, TheCopyKeepsAlphaOrTheColourKeyAsTheSourceHasIt) {
    for (const bool keyed : {false, true}) {
        SDL_Surface* source = testing_support::makeAlphaSurface(2, 1, 0x00FF00FF);
        putPixel(source, 1, 0, 0xFF445566); // opaque; the other one is see-through
        if (keyed) {
            SDL_SetColorKey(source, SDL_SRCCOLORKEY, 0x00FF00FF);
        }
        SDL_Surface* copy = mirrorSurface(source, FLIP_HORIZONTAL);
        EXPECT_EQ(copy->format->Amask, keyed ? 0u : source->format->Amask);
        EXPECT_EQ((copy->flags & SDL_SRCCOLORKEY) != 0, keyed);
        if (keyed) {
            EXPECT_EQ(copy->format->colorkey, 0x00FF00FFu);
        } else {
            EXPECT_EQ(testing_support::alphaAt(copy, 0, 0), 255);
            EXPECT_EQ(testing_support::alphaAt(copy, 1, 0), 0);
        }
        SDL_FreeSurface(source);
        SDL_FreeSurface(copy);
    }
}

} // namespace
