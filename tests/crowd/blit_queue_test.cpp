// The queue of a frame's blits: what it draws is what the blits made at once would draw.
#include "crowd/blit_queue.h"

#include "sprites/screen_blit.h"

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

// Draws blits of `pictures` all over the screen, at once or through the queue (with `helper`
// called from a thread of its own once they are queued), and returns the screen.
template <class Helper>
std::vector<Uint32> drawnScreen(SDL_Surface* const* pictures, int count, bool queued,
                                Helper helper) {
    SDL_FillRect(screen, nullptr, 0);
    if (queued) {
        frameBlits().open();
    }
    for (int blit = 0; blit < count; ++blit) {
        SDL_Rect at{static_cast<Sint16>(blit * 13 % 790), static_cast<Sint16>(blit * 37 % 590), 0,
                    0};
        blitToScreen(pictures[blit % 2], nullptr, &at);
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
