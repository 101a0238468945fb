// Mirrored copies: the four flag values, alpha and colour keys, rows stepped by pitch.
#include "sprites/mirror_surface.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A surface whose pixel at (x, y) holds a value naming its place.
SDL_Surface* numberedSurface(int width, int height) {
    SDL_Surface* surface = makeAlphaSurface(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            putPixel(surface, x, y, 0xFF000000u | (y << 8) | x);
        }
    }
    return surface;
}

Uint32 place(int x, int y) {
    return 0xFF000000u | (y << 8) | x;
}

TEST(MirrorSurfaceTest, EachFlagValueMovesPixelsWhereItSays) {
    SDL_Surface* row = numberedSurface(3, 1);
    SDL_Surface* leftRight = mirrorSurface(row, FLIP_HORIZONTAL);
    EXPECT_EQ(getPixel(leftRight, 0, 0), place(2, 0));
    EXPECT_EQ(getPixel(leftRight, 1, 0), place(1, 0));
    EXPECT_EQ(getPixel(leftRight, 2, 0), place(0, 0));

    SDL_Surface* column = numberedSurface(1, 3);
    SDL_Surface* upsideDown = mirrorSurface(column, FLIP_VERTICAL);
    EXPECT_EQ(getPixel(upsideDown, 0, 0), place(0, 2));
    EXPECT_EQ(getPixel(upsideDown, 0, 2), place(0, 0));

    SDL_Surface* square = numberedSurface(2, 2);
    SDL_Surface* turned = mirrorSurface(square, FLIP_HORIZONTAL | FLIP_VERTICAL);
    EXPECT_EQ(getPixel(turned, 1, 1), place(0, 0));
    EXPECT_EQ(getPixel(turned, 0, 1), place(1, 0));

    SDL_Surface* unchanged = mirrorSurface(square, 0);
    EXPECT_EQ(unchanged->w, 2);
    EXPECT_EQ(unchanged->h, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(getPixel(unchanged, i % 2, i / 2), 0u);
    }
    for (SDL_Surface* s : {row, leftRight, column, upsideDown, square, turned, unchanged}) {
        SDL_FreeSurface(s);
    }
}

TEST(MirrorSurfaceTest, AlphaSourceKeepsItsTransparency) {
    SDL_Surface* source = makeAlphaSurface(2, 1, 0);
    putPixel(source, 0, 0, 0x00112233); // fully transparent
    putPixel(source, 1, 0, 0xFF445566); // opaque
    SDL_Surface* copy = mirrorSurface(source, FLIP_HORIZONTAL);
    EXPECT_EQ(copy->format->Amask, source->format->Amask);
    EXPECT_EQ(alphaAt(copy, 1, 0), 0);
    EXPECT_EQ(alphaAt(copy, 0, 0), 255);
    EXPECT_EQ(copy->flags & SDL_SRCCOLORKEY, 0u);
    SDL_FreeSurface(source);
    SDL_FreeSurface(copy);
}

TEST(MirrorSurfaceTest, KeyedSourceGivesACopyWithoutAlphaCarryingTheKey) {
    SDL_Surface* source = makeAlphaSurface(2, 2, 0x00FF00FF);
    SDL_SetColorKey(source, SDL_SRCCOLORKEY, 0x00FF00FF);
    SDL_Surface* copy = mirrorSurface(source, FLIP_VERTICAL);
    EXPECT_EQ(copy->format->Amask, 0u);
    EXPECT_NE(copy->flags & SDL_SRCCOLORKEY, 0u);
    EXPECT_EQ(copy->format->colorkey, 0x00FF00FFu);
    EXPECT_EQ(copy->w, 2);
    SDL_FreeSurface(source);
    SDL_FreeSurface(copy);
}

TEST(MirrorSurfaceTest, PixelAccessStepsRowsByPitch) {
    // A 3-pixel-wide view into a 4-pixel-wide buffer: rows are 16 bytes apart, not 12.
    Uint32 buffer[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    SDL_Surface* view = SDL_CreateRGBSurfaceFrom(buffer, 3, 2, 32, 16, 0x00FF0000, 0x0000FF00,
                                                 0x000000FF, 0xFF000000);
    EXPECT_EQ(getPixel(view, 0, 1), 4u);
    putPixel(view, 2, 1, 7);
    EXPECT_EQ(buffer[6], 7u);
    SDL_Surface* copy = mirrorSurface(view, FLIP_HORIZONTAL);
    EXPECT_EQ(getPixel(copy, 0, 1), 7u);
    EXPECT_EQ(getPixel(copy, 2, 1), 4u);
    SDL_FreeSurface(copy);
    SDL_FreeSurface(view);
}

} // namespace
