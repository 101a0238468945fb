// The queue of a frame's blits: what it draws is what the blits made at once would draw.
#include "render/blit_queue.h"

#include "render/screen_blit.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

constexpr int side = 4;

SDL_Surface* square(Uint8 red, Uint8 green, Uint8 blue) {
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* made = SDL_CreateRGBSurface(SDL_SWSURFACE, side, side, format->BitsPerPixel,
                                             format->Rmask, format->Gmask, format->Bmask, 0);
    SDL_FillRect(made, nullptr, SDL_MapRGB(made->format, red, green, blue));
    return made;
}

std::vector<Uint32> screenPixels() {
    const auto* pixels = static_cast<const Uint32*>(screen->pixels);
    return std::vector<Uint32>(pixels, pixels + screen->h * screen->pitch / 4);
}

// A picture of per-pixel alpha, `width` by `height`, of a colour and an alpha that change with
// `alphaAt(x, y)`.
template <class Alpha> SDL_Surface* sprite(int width, int height, Alpha alphaAt) {
    SDL_Surface* made = SDL_CreateRGBSurface(SDL_SWSURFACE | SDL_SRCALPHA, width, height, 32,
                                             0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    SDL_SetAlpha(made, SDL_SRCALPHA, SDL_ALPHA_OPAQUE);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            static_cast<Uint32*>(made->pixels)[y * made->pitch / 4 + x] =
                SDL_MapRGBA(made->format, static_cast<Uint8>(x * 7), static_cast<Uint8>(y * 5),
                            static_cast<Uint8>(width), static_cast<Uint8>(alphaAt(x, y)));
        }
    }
    return made;
}

// Where the blit numbered `blit` goes: spread over the screen.
SDL_Rect spreadOut(int blit) {
    return SDL_Rect{static_cast<Sint16>(blit * 13 % 790), static_cast<Sint16>(blit * 37 % 590), 0,
                    0};
}

// Draws blits of `pictures` (taken in turn from `count`) where `place` puts them, at once or
// through the queue (with `helper` called from a thread of its own once they are queued), and
// returns the screen.
template <class Helper, class Place = SDL_Rect (*)(int)>
std::vector<Uint32> drawnScreen(SDL_Surface* const* pictures, int count, bool queued, Helper helper,
                                int pictureCount = 2, Place place = spreadOut) {
    SDL_FillRect(screen, nullptr, 0);
    if (queued) {
        frameBlits().open();
    }
    for (int blit = 0; blit < count; ++blit) {
        SDL_Rect at = place(blit);
        blitToScreen(pictures[blit % pictureCount], nullptr, &at);
    }
    if (queued) {
        std::thread(helper).join();
        frameBlits().close();
    }
    return screenPixels();
}

} // namespace

// The screen cut in two bands: a thread other than the frame loop's, given copies of the
// pictures, draws the lower band on its own surface over the screen's pixels; the frame loop the
// rest when the queue closes. Every pixel ends as at once.
TEST(BlitQueueTest, TheHelpersBandAndTheFrameLoopsMakeTheScreenAsAtOnce) {
    SDL_Surface* pictures[] = {square(255, 0, 0), square(0, 0, 255)};
    frameBlits().shareDrawing(pictures, 2);
    frameBlits().holdHelperShare(0.5);
    constexpr int blits = 3000;
    const auto noHelper = [] {};
    const std::vector<Uint32> atOnce = drawnScreen(pictures, blits, false, noHelper);
    drawnScreen(pictures, blits, true, noHelper); // cuts the screen for the next frame
    const long helperBlitsBefore = frameBlits().helperBlits();
    bool helperDrew = false;
    const auto helper = [&] { helperDrew = frameBlits().blitQueued(); };
    EXPECT_TRUE(atOnce == drawnScreen(pictures, blits, true, helper));
    EXPECT_TRUE(helperDrew);
    EXPECT_EQ(frameBlits().helperShare(), 0.5);
    EXPECT_GT(frameBlits().helperBlits(), helperBlitsBefore);
    EXPECT_LT(frameBlits().helperBlits(), helperBlitsBefore + blits);
    frameBlits().shareDrawing(nullptr, 0); // no copies of pictures about to go
    frameBlits().holdHelperShare(std::nullopt);
    for (SDL_Surface* picture : pictures) {
        SDL_FreeSurface(picture);
    }
}

// More pictures, and more kinds of them, than the queue keeps room for: the pictures beyond the
// helper's copies are left to the frame loop, the kinds beyond those it remembers are tried each
// time, and every pixel still ends as at once.
TEST(BlitQueueTest, PicturesBeyondTheRoomForThemAreStillDrawnAsAtOnce) {
    constexpr int pictureCount = 200;
    std::vector<SDL_Surface*> pictures;
    for (int i = 0; i < pictureCount; ++i) {
        SDL_Surface* picture =
            sprite(6 + i % 5, 5, [i](int x, int y) { return (x + y + i) % 3 == 0 ? 0 : 255; });
        // Each colour key (of a colour no pixel has) makes a kind of picture of its own.
        SDL_SetColorKey(picture, SDL_SRCCOLORKEY, 0x00010203U + static_cast<Uint32>(i));
        pictures.push_back(picture);
    }
    frameBlits().shareDrawing(pictures.data(), pictureCount);
    frameBlits().holdHelperShare(0.5);
    constexpr int blits = 3000;
    const auto noHelper = [] {};
    const auto helper = [] { frameBlits().blitQueued(); };
    const std::vector<Uint32> atOnce =
        drawnScreen(pictures.data(), blits, false, noHelper, pictureCount);
    drawnScreen(pictures.data(), blits, true, noHelper, pictureCount); // cuts the screen
    EXPECT_TRUE(atOnce == drawnScreen(pictures.data(), blits, true, helper, pictureCount));
    frameBlits().shareDrawing(nullptr, 0);
    frameBlits().holdHelperShare(std::nullopt);
    for (SDL_Surface* picture : pictures) {
        SDL_FreeSurface(picture);
    }
}

// Sprites stacked deep and hanging over every edge of the screen: the queue holds them until it
// closes (the helper drawing ahead meanwhile what it may) and leaves out what later opaque pixels
// cover, and every pixel still ends as at once, whichever thread draws it. A picture with pixels
// between opaque and clear is drawn whole, and covers nothing.
TEST(BlitQueueTest, WhatLaterBlitsCoverIsLeftOutAndTheScreenEndsAsAtOnce) {
    SDL_Surface* pictures[] = {
        sprite(70, 40, [](int x, int y) { return (x * x + y * 3) % 11 < 6 ? 255 : 0; }),
        sprite(130, 21, [](int x, int y) { return x % 9 == y % 4 ? 0 : 255; }),
        sprite(64, 64, [](int x, int y) { return x > 20 && y < 50 ? 255 : 0; }),
        sprite(30, 30, [](int x, int) { return x < 10 ? 128 : 255; })};
    constexpr int pictureCount = static_cast<int>(std::size(pictures));
    const auto stacked = [](int blit) {
        constexpr int lumps[][2] = {{-50, -30}, {200, 150}, {420, 570}, {760, 300}, {-120, 420}};
        const auto& lump = lumps[blit % std::size(lumps)];
        return SDL_Rect{static_cast<Sint16>(lump[0] + blit * 7 % 23),
                        static_cast<Sint16>(lump[1] + blit * 11 % 19), 0, 0};
    };
    frameBlits().shareDrawing(pictures, pictureCount);
    constexpr int blits = 2000;
    const auto noHelper = [] {};
    // The helper draws ahead while the blits are held, each time half of those not yet drawn.
    const auto helper = [] {
        EXPECT_FALSE(frameBlits().blitQueued());
        EXPECT_TRUE(frameBlits().drawAhead());
        while (frameBlits().drawAhead()) {
        }
    };
    const std::vector<Uint32> atOnce =
        drawnScreen(pictures, blits, false, noHelper, pictureCount, stacked);
    for (const double share : {0.3, 0.7}) {
        frameBlits().holdHelperShare(share);
        drawnScreen(pictures, blits, true, noHelper, pictureCount, stacked); // cuts the screen
        const long hiddenBefore = frameBlits().hiddenBlits();
        const long helperBlitsBefore = frameBlits().helperBlits();
        EXPECT_TRUE(atOnce == drawnScreen(pictures, blits, true, helper, pictureCount, stacked));
        EXPECT_GT(frameBlits().hiddenBlits(), hiddenBefore + blits / 4) << share;
        // Through its own copies: SDL keeps per picture how it last blitted, so the frame loop,
        // drawing its band meanwhile, must not be blitting the same pictures.
        EXPECT_GT(frameBlits().helperBlits(), helperBlitsBefore) << share;
    }
    // A frame of fewer blits after those: what the earlier frames queued beyond its last blit
    // covers nothing now.
    const std::vector<Uint32> fewerAtOnce =
        drawnScreen(pictures, blits / 2, false, noHelper, pictureCount, stacked);
    EXPECT_TRUE(fewerAtOnce ==
                drawnScreen(pictures, blits / 2, true, helper, pictureCount, stacked));
    frameBlits().shareDrawing(nullptr, 0);
    frameBlits().holdHelperShare(std::nullopt);
    for (SDL_Surface* picture : pictures) {
        SDL_FreeSurface(picture);
    }
}

// One blit more than the queue has room for: the queue makes every blit it holds before that
// one, so each pixel still ends as the last blit over it left it.
TEST(BlitQueueTest, ABlitBeyondTheRoomComesAfterEveryQueuedOne) {
    SDL_Surface* pictures[] = {square(255, 0, 0), square(0, 0, 255)};
    SDL_Surface* last = square(0, 255, 0);
    const auto drawEveryBlit = [&](bool queued) {
        SDL_FillRect(screen, nullptr, 0);
        if (queued) {
            frameBlits().open();
        }
        for (int blit = 0; blit <= BlitQueue::capacity; ++blit) {
            SDL_Rect at{static_cast<Sint16>(blit % 50), static_cast<Sint16>(blit % 7), 0, 0};
            blitToScreen(blit == BlitQueue::capacity ? last : pictures[blit % 2], nullptr, &at);
        }
        frameBlits().close();
        return screenPixels();
    };
    const std::vector<Uint32> atOnce = drawEveryBlit(false);
    EXPECT_TRUE(atOnce == drawEveryBlit(true));
    EXPECT_FALSE(frameBlits().isOpen());
    for (SDL_Surface* picture : {pictures[0], pictures[1], last}) {
        SDL_FreeSurface(picture);
    }
}
