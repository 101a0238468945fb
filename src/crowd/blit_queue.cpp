// The frame's queue of screen blits, the turns that keep them in order, and the cut of the screen
// into bands for the two threads.
#include "crowd/blit_queue.h"

#include "crowd/spin_wait.h"
#include "sprites/screen_blit.h"

#include <algorithm>
#include <climits>

namespace {

// How far the helper's share of the pixels moves after each frame: down when the frame loop,
// done with its own band, finds the helper's unfinished, up otherwise.
constexpr double shareStep = 0.02;
constexpr double leastShare = 0.05;
constexpr double mostShare = 0.95;

// Whether this thread is the frame loop's (marked when it opens the queue).
thread_local bool onFrameLoop = false;

// The rows [top, bottom) of the whole screen, as a clip rectangle.
SDL_Rect rowsOfScreen(int top, int bottom) {
    return SDL_Rect{0, static_cast<Sint16>(top), static_cast<Uint16>(screen->w),
                    static_cast<Uint16>(std::max(0, bottom - top))};
}

} // namespace

void BlitQueue::shareDrawing(SDL_Surface* const* pictures, int count) {
    for (int i = 0; i < copyCount; ++i) {
        SDL_FreeSurface(copies[i].second);
    }
    copyCount = 0;
    const auto isCopied = [this](const SDL_Surface* picture) {
        return std::any_of(copies.begin(), copies.begin() + copyCount,
                           [&](const auto& copy) { return copy.first == picture; });
    };
    for (int i = 0; i < count && copyCount < pictureRoom; ++i) {
        SDL_Surface* picture = pictures[i];
        if (picture == nullptr || isCopied(picture)) {
            continue;
        }
        if (SDL_Surface* copy = SDL_ConvertSurface(picture, picture->format, picture->flags)) {
            copies[copyCount++] = {picture, copy};
        }
    }
    std::sort(copies.begin(), copies.begin() + copyCount);
}

void BlitQueue::holdHelperShare(std::optional<double> held) {
    shareHeld = held.has_value();
    share = std::clamp(held.value_or(share), 0.0, 1.0);
}

SDL_Surface* BlitQueue::copyOf(SDL_Surface* picture) const {
    const auto end = copies.begin() + copyCount;
    const auto found = std::lower_bound(
        copies.begin(), end, picture,
        [](const auto& copy, const SDL_Surface* original) { return copy.first < original; });
    return found != end && found->first == picture ? found->second : nullptr;
}

// The helper's own surface over the screen's pixels, made anew whenever the screen changes.
// Screens that must be locked, or have a palette, or have their blits switched off, are not cut.
bool BlitQueue::readyHelperSurface() {
    if (screen == nullptr || SDL_MUSTLOCK(screen) || screen->format->palette != nullptr ||
        screen->h > screenHeight || screenBlitsSkipped()) {
        return false;
    }
    if (helperSurface != nullptr && helperSurface->pixels == screen->pixels &&
        helperSurface->w == screen->w && helperSurface->h == screen->h &&
        helperSurface->pitch == screen->pitch) {
        return true;
    }
    SDL_FreeSurface(helperSurface);
    const SDL_PixelFormat* format = screen->format;
    helperSurface = SDL_CreateRGBSurfaceFrom(screen->pixels, screen->w, screen->h,
                                             format->BitsPerPixel, screen->pitch, format->Rmask,
                                             format->Gmask, format->Bmask, format->Amask);
    return helperSurface != nullptr;
}

void BlitQueue::open() {
    onFrameLoop = true;
    const bool cut = copyCount > 0 && readyHelperSurface();
    if (cut) {
        cutRow = std::clamp(cutRow, 0, screen->h);
        bands[upper].top = 0;
        bands[upper].bottom = cutRow;
        bands[lower].top = cutRow;
        bands[lower].bottom = screen->h;
        SDL_Rect lowerRows = rowsOfScreen(cutRow, screen->h);
        SDL_SetClipRect(helperSurface, &lowerRows);
    } else {
        bands[upper].top = INT_MIN; // one band, the whole screen and beyond, for either thread
        bands[upper].bottom = INT_MAX;
    }
    cutInBands.store(cut, std::memory_order_relaxed);
    opened = true;
}

void BlitQueue::close() {
    if (!opened) {
        return;
    }
    const int end = queued.load(std::memory_order_relaxed);
    waitForTurn(bands[upper]);
    drawAsFrameLoop(bands[upper], end);
    if (cutInBands.load(std::memory_order_relaxed)) {
        Band& helperBand = bands[lower];
        const bool helperBehind = helperBand.made.load(std::memory_order_acquire) < end;
        if (!shareHeld) {
            share =
                std::clamp(share + (helperBehind ? -shareStep : shareStep), leastShare, mostShare);
        }
        waitForTurn(helperBand);
        drawAsFrameLoop(helperBand, end);
        cutForNextFrame(end);
    }
    queued.store(0, std::memory_order_relaxed);
    opened = false;
    for (Band& band : bands) {
        band.made.store(0, std::memory_order_relaxed);
    }
    if (cutInBands.load(std::memory_order_relaxed)) {
        bands[lower].turnTaken.store(false, std::memory_order_release);
    }
    bands[upper].turnTaken.store(false, std::memory_order_release);
}

bool BlitQueue::take(SDL_Surface* picture, const SDL_Rect* source, const SDL_Rect& at) {
    if (!onFrameLoop || !opened) {
        return false;
    }
    const int count = queued.load(std::memory_order_relaxed);
    if (count == capacity) {
        close();
        return false;
    }
    entries[count] =
        Entry{picture, source != nullptr ? *source : SDL_Rect{}, source == nullptr, at.x, at.y};
    queued.store(count + 1, std::memory_order_release);
    return true;
}

bool BlitQueue::blitQueued() {
    const bool byHelper = !onFrameLoop;
    // A look without the turn first: most calls find nothing new and must stay cheap.
    const int end = queued.load(std::memory_order_acquire);
    const bool cut = cutInBands.load(std::memory_order_relaxed);
    Band& band = bands[byHelper && cut ? lower : upper];
    if (band.made.load(std::memory_order_relaxed) >= end || !takeTurn(band)) {
        return false;
    }
    // The queue may have closed (and opened again) meanwhile: look again, holding the turn.
    const int from = band.made.load(std::memory_order_relaxed);
    const int now = queued.load(std::memory_order_acquire);
    const bool drawn = cutInBands.load(std::memory_order_relaxed) == cut;
    if (drawn) {
        if (byHelper) {
            makeUpTo(band, now, cut); // uncut, the whole screen, in turns with the frame loop
        } else {
            drawAsFrameLoop(band, now);
        }
    }
    const bool madeAny = band.made.load(std::memory_order_relaxed) > from;
    band.turnTaken.store(false, std::memory_order_release);
    return madeAny;
}

bool BlitQueue::takeTurn(Band& band) {
    bool taken = false;
    return band.turnTaken.compare_exchange_strong(taken, true, std::memory_order_acquire,
                                                  std::memory_order_relaxed);
}

void BlitQueue::waitForTurn(Band& band) {
    platform::spinUntil([&] { return takeTurn(band); });
}

// The frame loop draws on the screen itself, clipped to the band's rows while the screen is cut.
void BlitQueue::drawAsFrameLoop(Band& band, int end) {
    if (!cutInBands.load(std::memory_order_relaxed)) {
        makeUpTo(band, end, false);
        return;
    }
    SDL_Rect before;
    SDL_GetClipRect(screen, &before);
    SDL_Rect rows = rowsOfScreen(band.top, band.bottom);
    SDL_SetClipRect(screen, &rows);
    makeUpTo(band, end, false);
    SDL_SetClipRect(screen, &before);
}

// Holding the band's turn: makes the band's share of the queued blits, from where its last turn
// stopped up to `end`, onto the screen or (with the copies) the helper's surface; the latter
// stops at a picture it has no copy of.
void BlitQueue::makeUpTo(Band& band, int end, bool onHelperSurface) {
    int index = band.made.load(std::memory_order_relaxed);
    for (; index < end; ++index) {
        const Entry& entry = entries[index];
        if (entry.y >= band.bottom || entry.y + entry.rows() <= band.top) {
            continue;
        }
        SDL_Rect at{entry.x, entry.y, 0, 0};
        SDL_Rect source = entry.source;
        SDL_Rect* sourceOrWhole = entry.whole ? nullptr : &source;
        if (!onHelperSurface) {
            blitToScreenNow(entry.picture, sourceOrWhole, &at);
            continue;
        }
        SDL_Surface* copy = copyOf(entry.picture);
        if (copy == nullptr) {
            break;
        }
        SDL_UpperBlit(copy, sourceOrWhole, helperSurface, &at);
        ++helperBlitCount;
    }
    if (index > band.made.load(std::memory_order_relaxed)) {
        band.made.store(index, std::memory_order_release);
    }
}

// Cuts the screen for the next frame where the rows below hold the helper's share of this
// frame's queued pixels.
void BlitQueue::cutForNextFrame(int count) {
    const int rows = screen->h;
    std::fill(rowStarts.begin(), rowStarts.begin() + rows + 1, 0);
    long total = 0;
    for (int index = 0; index < count; ++index) {
        const Entry& entry = entries[index];
        const int top = std::clamp<int>(entry.y, 0, rows);
        const int bottom = std::clamp<int>(entry.y + entry.rows(), 0, rows);
        const int columns = std::clamp(entry.columns(), 0, screen->w);
        rowStarts[top] += columns;
        rowStarts[bottom] -= columns;
        total += static_cast<long>(columns) * (bottom - top);
    }
    const double upperWork = (1.0 - share) * static_cast<double>(total);
    long perRow = 0;
    long above = 0;
    int row = 0;
    while (row < rows && static_cast<double>(above) < upperWork) {
        perRow += rowStarts[row];
        above += perRow;
        ++row;
    }
    cutRow = row;
}
