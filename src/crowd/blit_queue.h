// BlitQueue: a frame's enemy blits, kept in order and done by whichever thread has time.
#pragma once

#include "shell/globals.h"

#include <SDL/SDL.h>

#include <atomic>

// While open, the frame loop queues each enemy's blit instead of making it, and the Crowd's helper
// thread (or the frame loop itself, whenever it waits) makes the queued blits onto the screen,
// in the order they were queued, one thread at a time. The screen ends up exactly as if every
// blit had been made at once. The frame loop closes the queue before anything else draws: from
// then on, blits are made at once again.
class BlitQueue {
  public:
    // Room for one blit per enemy, which is what a frame queues; beyond that the queue closes
    // itself and blits at once.
    static constexpr int capacity = pieceCount + 1;

    // Starts queueing. Frame loop only.
    void open();
    // Makes the blits still queued and goes back to blitting at once. Frame loop only.
    void close();
    bool isOpen() const { return opened; }

    // Blits the whole of `picture` onto the screen with its top-left corner at `at`: later while
    // the queue is open, at once otherwise. The picture must outlive the queue's close. Frame
    // loop only.
    void blit(SDL_Surface* picture, SDL_Rect at);

    // Makes the blits queued so far if no other thread is making them; whether it made any.
    // Any thread.
    bool blitQueued();

  private:
    static constexpr size_t cacheLine = 64;

    struct Entry {
        SDL_Surface* picture;
        Sint16 x;
        Sint16 y;
    };

    bool opened = false;
    // Written by the frame loop; `queued` publishes the entries below it.
    alignas(cacheLine) std::atomic<int> queued{0};
    // The turn to blit, and how far the blits have got (entries below `made` are on the screen).
    alignas(cacheLine) std::atomic<bool> turnTaken{false};
    std::atomic<int> made{0};
    alignas(cacheLine) Entry entries[capacity]{};

    bool takeTurn();
    void waitForTurn();
    void makeUpTo(int end);
};

// The queue of the frame loop (crowding.cpp); the game reaches it through crowding.h.
BlitQueue& frameBlits();
