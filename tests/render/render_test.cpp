// The queue of a frame's blits draws what the blits made at once would; the game's lettering; the
// results card's place.
#include "render/blit_queue.h"
#include "render/lettering.h"
#include "render/scoreboard.h"
#include "render/screen_blit.h"
#include "sprites/glyph_strip.h"
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
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

// A `width` by `height` picture of per-pixel alpha `alphaAt(x, y)`, its colour changing too.
template <class Alpha> SDL_Surface* alphaPicture(int width, int height, Alpha alphaAt) {
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

SDL_Rect spreadOut(int blit) { // spread over the screen
    return SDL_Rect{static_cast<Sint16>(blit * 13 % 790), static_cast<Sint16>(blit * 37 % 590), 0,
                    0};
}

// The pictures a test blits, shared with the helper; given back with the helper's share after.
class BlitQueueTest : public ::testing::Test {
  protected:
    void TearDown() override {
        frameBlits().shareDrawing(nullptr, 0); // no copies of pictures about to go
        frameBlits().holdHelperShare(std::nullopt);
        for (SDL_Surface* picture : pictures) {
            SDL_FreeSurface(picture);
        }
    }
    void shareWithHelper(std::optional<double> helperShare) {
        frameBlits().shareDrawing(pictures.data(), static_cast<int>(pictures.size()));
        frameBlits().holdHelperShare(helperShare);
    }
    // Draws `count` blits of the pictures in turn where `place` puts them, at once or through the
    // queue (with `helper` called from a thread of its own once they are queued); the screen.
    std::vector<Uint32> drawn(
        int count, bool queued, SDL_Rect (*place)(int) = spreadOut,
        const std::function<void()>& helper = [] {}) {
        SDL_FillRect(screen, nullptr, 0);
        if (queued) {
            frameBlits().open();
        }
        for (int blit = 0; blit < count; ++blit) {
            SDL_Rect at = place(blit);
            blitToScreen(pictures[static_cast<size_t>(blit) % pictures.size()], nullptr, &at);
        }
        if (queued) {
            std::thread(helper).join();
            frameBlits().close();
        }
        return screenPixels();
    }

    std::vector<SDL_Surface*> pictures;
};

} // namespace

// The screen cut in two bands: another thread, with copies of the pictures, draws the lower band on
// its own surface over the screen's pixels, the frame loop the rest when the queue closes.
TEST_F(BlitQueueTest, TheHelpersBandAndTheFrameLoopsMakeTheScreenAsAtOnce) {
    pictures = {square(255, 0, 0), square(0, 0, 255)};
    shareWithHelper(0.5);
    constexpr int blits = 3000;
    const std::vector<Uint32> atOnce = drawn(blits, false);
    drawn(blits, true); // cuts the screen for the next frame
    const long helperBlitsBefore = frameBlits().helperBlits();
    bool helperDrew = false;
    EXPECT_TRUE(atOnce ==
                drawn(blits, true, spreadOut, [&] { helperDrew = frameBlits().blitQueued(); }));
    EXPECT_TRUE(helperDrew);
    EXPECT_EQ(frameBlits().helperShare(), 0.5);
    EXPECT_GT(frameBlits().helperBlits(), helperBlitsBefore);
    EXPECT_LT(frameBlits().helperBlits(), helperBlitsBefore + blits);
}

// More pictures and kinds than the queue has room for: pictures beyond the helper's copies are left
// to the frame loop, kinds beyond those it remembers are tried each time.
TEST_F(BlitQueueTest, PicturesBeyondTheRoomForThemAreStillDrawnAsAtOnce) {
    for (int i = 0; i < 200; ++i) {
        pictures.push_back(alphaPicture(
            6 + i % 5, 5, [i](int x, int y) { return (x + y + i) % 3 == 0 ? 0 : 255; }));
        // Each colour key (of a colour no pixel has) makes a kind of picture of its own.
        SDL_SetColorKey(pictures.back(), SDL_SRCCOLORKEY, 0x00010203U + static_cast<Uint32>(i));
    }
    shareWithHelper(0.5);
    constexpr int blits = 3000;
    const std::vector<Uint32> atOnce = drawn(blits, false);
    drawn(blits, true); // cuts the screen
    EXPECT_TRUE(atOnce == drawn(blits, true, spreadOut, [] { frameBlits().blitQueued(); }));
}

// A picture listed again takes no more of the helper's room for copies: listed more times than
// there is room for, it still leaves room for the picture listed after it.
TEST_F(BlitQueueTest, APictureListedAgainTakesNoMoreRoom) {
    constexpr int timesListed = 200;
    SDL_Surface* repeated = square(255, 0, 0);
    pictures = {square(0, 0, 255)};
    std::vector<SDL_Surface*> listed(timesListed, repeated);
    listed.push_back(pictures[0]);
    frameBlits().shareDrawing(listed.data(), static_cast<int>(listed.size()));
    frameBlits().holdHelperShare(0.5);
    constexpr int blits = 3000;
    drawn(blits, true); // cuts the screen
    const long helperBlitsBefore = frameBlits().helperBlits();
    drawn(blits, true, spreadOut, [] { frameBlits().blitQueued(); });
    EXPECT_GT(frameBlits().helperBlits(), helperBlitsBefore);
    frameBlits().shareDrawing(nullptr, 0);
    SDL_FreeSurface(repeated);
}

// Sprites stacked deep, over every edge: the queue holds them until it closes (the helper drawing
// ahead what it may) and leaves out what later opaque pixels cover. A picture with pixels between
// opaque and clear is drawn whole, and covers nothing.
TEST_F(BlitQueueTest, WhatLaterBlitsCoverIsLeftOutAndTheScreenEndsAsAtOnce) {
    pictures = {
        alphaPicture(70, 40, [](int x, int y) { return (x * x + y * 3) % 11 < 6 ? 255 : 0; }),
        alphaPicture(130, 21, [](int x, int y) { return x % 9 == y % 4 ? 0 : 255; }),
        alphaPicture(64, 64, [](int x, int y) { return x > 20 && y < 50 ? 255 : 0; }),
        alphaPicture(30, 30, [](int x, int) { return x < 10 ? 128 : 255; })};
    const auto stacked = [](int blit) {
        constexpr int lumps[][2] = {{-50, -30}, {200, 150}, {420, 570}, {760, 300}, {-120, 420}};
        const auto& lump = lumps[blit % std::size(lumps)];
        return SDL_Rect{static_cast<Sint16>(lump[0] + blit * 7 % 23),
                        static_cast<Sint16>(lump[1] + blit * 11 % 19), 0, 0};
    };
    constexpr int blits = 2000;
    // The helper draws ahead while the blits are held, each time half of those not yet drawn.
    const auto helper = [] {
        EXPECT_FALSE(frameBlits().blitQueued());
        EXPECT_TRUE(frameBlits().drawAhead());
        while (frameBlits().drawAhead()) {
        }
    };
    shareWithHelper(std::nullopt);
    const std::vector<Uint32> atOnce = drawn(blits, false, stacked);
    for (const double share : {0.3, 0.7}) {
        frameBlits().holdHelperShare(share);
        drawn(blits, true, stacked); // cuts the screen
        const long hiddenBefore = frameBlits().hiddenBlits();
        const long helperBlitsBefore = frameBlits().helperBlits();
        EXPECT_TRUE(atOnce == drawn(blits, true, stacked, helper));
        EXPECT_GT(frameBlits().hiddenBlits(), hiddenBefore + blits / 4) << share;
        // Through its own copies: SDL keeps how it last blitted each picture, as does the loop.
        EXPECT_GT(frameBlits().helperBlits(), helperBlitsBefore) << share;
    }
    // A frame of fewer blits: what earlier frames queued beyond its last blit covers nothing now.
    EXPECT_TRUE(drawn(blits / 2, false, stacked) == drawn(blits / 2, true, stacked, helper));
}

// One blit beyond the queue's room comes after every blit it holds.
TEST_F(BlitQueueTest, ABlitBeyondTheRoomComesAfterEveryQueuedOne) {
    pictures = {square(255, 0, 0), square(0, 0, 255), square(0, 255, 0)};
    const auto drawEveryBlit = [&](bool queued) {
        SDL_FillRect(screen, nullptr, 0);
        if (queued) {
            frameBlits().open();
        }
        for (int blit = 0; blit <= BlitQueue::capacity; ++blit) {
            SDL_Rect at{static_cast<Sint16>(blit % 50), static_cast<Sint16>(blit % 7), 0, 0};
            blitToScreen(pictures[blit == BlitQueue::capacity ? 2 : blit % 2], nullptr, &at);
        }
        frameBlits().close();
        return screenPixels();
    };
    const std::vector<Uint32> atOnce = drawEveryBlit(false);
    EXPECT_TRUE(atOnce == drawEveryBlit(true));
    EXPECT_FALSE(frameBlits().isOpen());
}

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

// A cell of the strip per character, lower case as upper; one not on it leaves its cell empty.
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

// The card's picture stands in the middle of the 800x600 screen, an odd pixel left over going to
// the right and below.
TEST(ResultsCardTest, ThePictureStandsInTheMiddleOfTheScreen) {
    constexpr int cardWidth = 101;
    constexpr int cardHeight = 61;
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* card =
        SDL_CreateRGBSurface(SDL_SWSURFACE, cardWidth, cardHeight, format->BitsPerPixel,
                             format->Rmask, format->Gmask, format->Bmask, 0);
    SDL_FillRect(card, nullptr, SDL_MapRGB(card->format, 255, 0, 0));
    spriteCatalogue[sprite::resultsCard] = card;
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 200));
    drawResultsCard(ResultsCard{});
    const auto onCard = [](int x, int y) { return testing_support::screenColourAt(x, y).r == 255; };
    EXPECT_TRUE(onCard(349, 269));
    EXPECT_TRUE(onCard(449, 329));
    EXPECT_FALSE(onCard(348, 269));
    EXPECT_FALSE(onCard(349, 268));
    EXPECT_FALSE(onCard(450, 329));
    EXPECT_FALSE(onCard(449, 330));
    spriteCatalogue[sprite::resultsCard] = nullptr;
    SDL_FreeSurface(card);
}
