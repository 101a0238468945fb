// The queue of enemy blits: the screen ends up as if every blit had been made at once, in order,
// whichever thread makes them.
#include "crowd/blit_queue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int pictureSide = 6;
constexpr int paletteSize = 5;
// Positions step by less than a picture, so that most blits cover parts of earlier ones.
constexpr int placeStep = 4;
constexpr int placesPerRow = 40;

class BlitQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < paletteSize; ++i) {
            SDL_Surface* picture = SDL_CreateRGBSurface(
                SDL_SWSURFACE, pictureSide, pictureSide, 32, screen->format->Rmask,
                screen->format->Gmask, screen->format->Bmask, 0);
            SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 40 * i, 255 - 40 * i, i));
            palette.push_back(picture);
        }
        SDL_FillRect(screen, nullptr, 0);
    }
    void TearDown() override {
        frameBlits().close();
        for (SDL_Surface* picture : palette) {
            SDL_FreeSurface(picture);
        }
    }

    // The n-th blit of a sequence in which pictures and places keep overlapping.
    SDL_Surface* pictureOf(int n) const { return palette[(n * 7) % paletteSize]; }
    static SDL_Rect placeOf(int n) {
        const int place = (n * 13) % (placesPerRow * placesPerRow);
        return SDL_Rect{static_cast<Sint16>(place % placesPerRow * placeStep - 2),
                        static_cast<Sint16>(place / placesPerRow * placeStep - 2), 0, 0};
    }

    static std::vector<Uint32> screenPixels() {
        const auto* pixels = static_cast<const Uint32*>(screen->pixels);
        return std::vector<Uint32>(pixels, pixels + screen->h * screen->pitch / 4);
    }

    // The screen after making blits first to end - 1 at once, one after another.
    std::vector<Uint32> madeAtOnce(int first, int end) {
        SDL_FillRect(screen, nullptr, 0);
        for (int n = first; n < end; ++n) {
            SDL_Rect at = placeOf(n);
            SDL_UpperBlit(pictureOf(n), nullptr, screen, &at);
        }
        return screenPixels();
    }

    std::vector<SDL_Surface*> palette;
};

TEST_F(BlitQueueTest, BlitsMadeByAnotherThreadMeanwhileLandInTheOrderTheyWereQueued) {
    constexpr int count = 6000;
    BlitQueue& queue = frameBlits();
    std::atomic<bool> stop{false};
    std::atomic<int> turnsWithBlits{0};
    queue.open();
    std::thread other([&] {
        while (!stop.load()) {
            turnsWithBlits += queue.blitQueued() ? 1 : 0;
        }
    });
    for (int n = 0; n < count; ++n) {
        queue.blit(pictureOf(n), placeOf(n));
        if (n % 64 == 0) {
            queue.blitQueued(); // the frame loop too makes queued blits while it waits
        }
    }
    queue.close();
    EXPECT_FALSE(queue.isOpen());
    const std::vector<Uint32> queued = screenPixels();
    stop = true;
    other.join();
    EXPECT_TRUE(queued == madeAtOnce(0, count));
}

TEST_F(BlitQueueTest, AClosedQueueBlitsAtOnceAndAFullOneClosesItselfInOrder) {
    BlitQueue& queue = frameBlits();
    queue.blit(pictureOf(0), placeOf(0));
    EXPECT_TRUE(screenPixels() == madeAtOnce(0, 1));

    SDL_FillRect(screen, nullptr, 0);
    queue.open();
    for (int n = 0; n < BlitQueue::capacity; ++n) {
        queue.blit(pictureOf(n), placeOf(n));
    }
    EXPECT_TRUE(queue.isOpen());
    queue.blit(pictureOf(BlitQueue::capacity), placeOf(BlitQueue::capacity));
    EXPECT_FALSE(queue.isOpen()); // no room: what was queued is made, then this blit
    const std::vector<Uint32> overflowed = screenPixels();
    EXPECT_TRUE(overflowed == madeAtOnce(0, BlitQueue::capacity + 1));
}

TEST_F(BlitQueueTest, AQueueOpenedAgainStartsEmpty) {
    BlitQueue& queue = frameBlits();
    queue.open();
    queue.blit(pictureOf(0), placeOf(0));
    queue.close();
    SDL_FillRect(screen, nullptr, 0);
    queue.open();
    queue.blit(pictureOf(1), placeOf(1));
    queue.close();
    const std::vector<Uint32> second = screenPixels();
    EXPECT_TRUE(second == madeAtOnce(1, 2)) << "the first frame's blit was made again";
}

} // namespace
