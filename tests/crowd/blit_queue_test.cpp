// The queue of enemy blits: the screen ends up as if every blit had been made at once, in order,
// whichever thread makes them, frame after frame, and when more come than the queue holds.
#include "crowd/blit_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int paletteSize = 5;
constexpr int pictureSide = 6;
// Places step by less than a picture, so that most blits cover parts of earlier ones.
constexpr int placeStep = 4;
constexpr int placesPerRow = 40;

SDL_Rect placeOf(int n) {
    const int place = (n * 13) % (placesPerRow * placesPerRow);
    return SDL_Rect{static_cast<Sint16>(place % placesPerRow * placeStep - 2),
                    static_cast<Sint16>(place / placesPerRow * placeStep - 2), 0, 0};
}

std::vector<Uint32> screenPixels() {
    const auto* pixels = static_cast<const Uint32*>(screen->pixels);
    return {pixels, pixels + screen->h * screen->pitch / 4};
}

TEST(BlitQueueTest, QueuedBlitsLandInTheOrderTheyWereQueuedWhoeverMakesThem) {
    SDL_Surface* palette[paletteSize];
    for (int i = 0; i < paletteSize; ++i) {
        palette[i] = SDL_CreateRGBSurface(SDL_SWSURFACE, pictureSide, pictureSide, 32, 0xff0000,
                                          0xff00, 0xff, 0);
        SDL_FillRect(palette[i], nullptr, 0x402000 * i + 0x30);
    }
    BlitQueue queue;
    std::atomic<bool> stop{false};
    std::thread other([&] {
        while (!stop) {
            queue.blitQueued();
        }
    });
    // Beyond its room the queue closes itself, makes what it holds, then blits at once.
    for (const int count : {3000, BlitQueue::capacity + 500}) {
        SDL_FillRect(screen, nullptr, 0);
        queue.open();
        for (int n = 0; n < count; ++n) {
            queue.blit(palette[n * 7 % paletteSize], placeOf(n));
        }
        EXPECT_EQ(queue.isOpen(), count <= BlitQueue::capacity);
        queue.close();
        const std::vector<Uint32> queued = screenPixels();
        SDL_FillRect(screen, nullptr, 0);
        for (int n = 0; n < count; ++n) {
            SDL_Rect at = placeOf(n);
            SDL_UpperBlit(palette[n * 7 % paletteSize], nullptr, screen, &at);
        }
        EXPECT_TRUE(queued == screenPixels()) << count << " blits";
    }
    stop = true;
    other.join();
    for (SDL_Surface* picture : palette) {
        SDL_FreeSurface(picture);
    }
}

} // namespace
