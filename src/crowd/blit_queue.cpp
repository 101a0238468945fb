// The frame's queue of enemy blits and the turn that keeps them in order.
#include "crowd/blit_queue.h"

#include "crowd/spin_wait.h"
#include "sprites/screen_blit.h"

void BlitQueue::open() {
    opened = true;
}

void BlitQueue::close() {
    if (!opened) {
        return;
    }
    waitForTurn();
    makeUpTo(queued.load(std::memory_order_relaxed));
    queued.store(0, std::memory_order_relaxed);
    made.store(0, std::memory_order_relaxed);
    opened = false;
    turnTaken.store(false, std::memory_order_release);
}

void BlitQueue::blit(SDL_Surface* picture, SDL_Rect at) {
    if (opened && queued.load(std::memory_order_relaxed) == capacity) {
        close();
    }
    if (!opened) {
        blitToScreen(picture, nullptr, &at);
        return;
    }
    const int count = queued.load(std::memory_order_relaxed);
    entries[count] = Entry{picture, at.x, at.y};
    queued.store(count + 1, std::memory_order_release);
}

bool BlitQueue::blitQueued() {
    // A look without the turn first: most calls find nothing new and must stay cheap.
    if (made.load(std::memory_order_relaxed) >= queued.load(std::memory_order_acquire) ||
        !takeTurn()) {
        return false;
    }
    const int from = made.load(std::memory_order_relaxed);
    const int end = queued.load(std::memory_order_acquire);
    makeUpTo(end);
    turnTaken.store(false, std::memory_order_release);
    return end > from;
}

bool BlitQueue::takeTurn() {
    bool taken = false;
    return turnTaken.compare_exchange_strong(taken, true, std::memory_order_acquire,
                                             std::memory_order_relaxed);
}

void BlitQueue::waitForTurn() {
    platform::spinUntil([this] { return takeTurn(); });
}

// Holding the turn: makes the queued blits from where the last turn stopped up to `end`.
void BlitQueue::makeUpTo(int end) {
    for (int index = made.load(std::memory_order_relaxed); index < end; ++index) {
        const Entry& entry = entries[index];
        SDL_Rect at{entry.x, entry.y, 0, 0};
        blitToScreen(entry.picture, nullptr, &at);
    }
    if (end > made.load(std::memory_order_relaxed)) {
        made.store(end, std::memory_order_release);
    }
}
