// The frame's queue of screen blits, the turns that keep them in order, and the cut of the screen
// into bands for the two threads.
#include "crowd/blit_queue.h"

#include "crowd/spin_wait.h"
#include "sprites/screen_blit.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

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

constexpr int wordBits = 64;
// Below this many held blits not yet drawn, the helper does not draw ahead.
constexpr int fewestDrawnAhead = 64;
// Less than the leftmost column a blit can start at, and a whole number of words.
constexpr int farthestLeft = 32768;
// A part of a blit standing for the whole of it, as it was queued.
constexpr Uint16 asQueued = UINT16_MAX;

Uint32 pixelAt(const SDL_Surface* surface, int x, int y) {
    return static_cast<const Uint32*>(surface->pixels)[y * (surface->pitch / 4) + x];
}

// The alpha of each pixel of `picture` (per-pixel alpha, four bytes a pixel): 0 clear, 255
// opaque; false if any pixel lies between, or the picture has no alpha of its own.
bool opaqueOrClear(SDL_Surface* picture, std::vector<Uint8>& alphas) {
    const SDL_PixelFormat* format = picture->format;
    if (format->BytesPerPixel != 4 || format->Amask == 0 || (picture->flags & SDL_SRCALPHA) == 0 ||
        SDL_LockSurface(picture) != 0) {
        return false;
    }
    alphas.resize(static_cast<size_t>(picture->w) * picture->h);
    bool binary = true;
    for (int y = 0; y < picture->h && binary; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            const Uint32 alpha = (pixelAt(picture, x, y) & format->Amask) >> format->Ashift;
            binary = binary && (alpha == 0 || alpha == SDL_ALPHA_OPAQUE);
            alphas[static_cast<size_t>(y) * picture->w + x] = static_cast<Uint8>(alpha);
        }
    }
    SDL_UnlockSurface(picture);
    return binary;
}

// Whether blitting `picture` (whose pixels have `alphas`, all 0 or 255) onto a surface like the
// screen leaves what lies beneath a clear pixel alone and makes an opaque pixel the same whatever
// lay beneath: tried on two surfaces, one all bits clear, one all bits set.
bool blitsHide(SDL_Surface* picture, const std::vector<Uint8>& alphas) {
    const SDL_PixelFormat* format = screen->format;
    if (format->BytesPerPixel != 4) {
        return false;
    }
    SDL_Surface* beneath[2] = {};
    bool hides = true;
    constexpr Uint32 fills[2] = {0, UINT32_MAX};
    for (int i = 0; i < 2 && hides; ++i) {
        beneath[i] =
            SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, format->BitsPerPixel,
                                 format->Rmask, format->Gmask, format->Bmask, format->Amask);
        hides = beneath[i] != nullptr && !SDL_MUSTLOCK(beneath[i]) &&
                SDL_FillRect(beneath[i], nullptr, fills[i]) == 0 &&
                SDL_UpperBlit(picture, nullptr, beneath[i], nullptr) == 0;
    }
    for (int y = 0; y < picture->h && hides; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            const Uint32 onClear = pixelAt(beneath[0], x, y);
            const Uint32 onSet = pixelAt(beneath[1], x, y);
            const bool opaque = alphas[static_cast<size_t>(y) * picture->w + x] != 0;
            hides = hides && (opaque ? onClear == onSet : onClear == fills[0] && onSet == fills[1]);
        }
    }
    for (SDL_Surface* made : beneath) {
        SDL_FreeSurface(made);
    }
    return hides;
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
    hidingCount = 0;
    for (int i = 0; i < copyCount; ++i) {
        noteHiding(copies[i].first);
    }
    std::sort(hiding.begin(), hiding.begin() + hidingCount);
    for (Band& band : bands) {
        if (hidingCount > 0 && band.room == nullptr) {
            band.room = std::make_unique<Band::PartsRoom>();
        }
    }
}

// Notes `picture` among those that hide what lies beneath, with its cover, if it does.
void BlitQueue::noteHiding(SDL_Surface* picture) {
    std::vector<Uint8> alphas;
    if (screen == nullptr || hidingCount == pictureRoom || !opaqueOrClear(picture, alphas) ||
        !blitsHide(picture, alphas)) {
        return;
    }
    Cover& cover = covers[hidingCount];
    cover.height = picture->h;
    cover.wordsPerRow = (picture->w + wordBits - 1) / wordBits;
    cover.rows.assign(static_cast<size_t>(cover.wordsPerRow) * picture->h, 0);
    for (int y = 0; y < picture->h; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            if (alphas[static_cast<size_t>(y) * picture->w + x] != 0) {
                cover.rows[static_cast<size_t>(y) * cover.wordsPerRow + x / wordBits] |=
                    std::uint64_t{1} << (x % wordBits);
            }
        }
    }
    hiding[hidingCount] = {picture, hidingCount};
    ++hidingCount;
}

const BlitQueue::Cover* BlitQueue::coverOf(const SDL_Surface* picture) const {
    const auto end = hiding.begin() + hidingCount;
    const auto found = std::lower_bound(
        hiding.begin(), end, picture,
        [](const auto& noted, const SDL_Surface* original) { return noted.first < original; });
    return found != end && found->first == picture ? &covers[found->second] : nullptr;
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
    holding.store(cut && hidingCount > 0 && screen->w <= (coverWords - 1) * wordBits,
                  std::memory_order_relaxed);
    opened = true;
}

void BlitQueue::close() {
    if (!opened) {
        return;
    }
    const int end = queued.load(std::memory_order_relaxed);
    closedAt.store(end, std::memory_order_release); // the held blits may be drawn now
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
    closedAt.store(0, std::memory_order_relaxed);
    opened = false;
    for (Band& band : bands) {
        band.made.store(0, std::memory_order_relaxed);
        band.partsFrom = 0;
        band.partsTo = 0;
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
    const auto held = [this] {
        return holding.load(std::memory_order_relaxed) &&
               closedAt.load(std::memory_order_acquire) == 0;
    };
    if (band.made.load(std::memory_order_relaxed) >= end || held() || !takeTurn(band)) {
        return false;
    }
    // The queue may have closed (and opened again) meanwhile: look again, holding the turn.
    const int from = band.made.load(std::memory_order_relaxed);
    const int now = queued.load(std::memory_order_acquire);
    const bool drawn = cutInBands.load(std::memory_order_relaxed) == cut && !held();
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
// stops at a picture it has no copy of. Held blits are cut first to what the blits up to `end`
// leave uncovered, unless they were cut so already.
void BlitQueue::makeUpTo(Band& band, int end, bool onHelperSurface) {
    const int from = band.made.load(std::memory_order_relaxed);
    if (holding.load(std::memory_order_relaxed) && (band.partsFrom > from || band.partsTo != end)) {
        findParts(band, from, end);
    }
    drawUpTo(band, end, onHelperSurface);
}

bool BlitQueue::drawAhead() {
    Band& band = bands[lower];
    if (onFrameLoop || !holding.load(std::memory_order_relaxed) ||
        closedAt.load(std::memory_order_acquire) != 0 || !takeTurn(band)) {
        return false;
    }
    // The queue may have closed (and opened again) meanwhile: look again, holding the turn.
    const int from = band.made.load(std::memory_order_relaxed);
    const int now = queued.load(std::memory_order_acquire);
    const bool ahead = holding.load(std::memory_order_relaxed) &&
                       closedAt.load(std::memory_order_acquire) == 0 &&
                       now - from >= fewestDrawnAhead;
    if (ahead) {
        findParts(band, from, now);
        drawUpTo(band, from + (now - from) / 2, true);
    }
    band.turnTaken.store(false, std::memory_order_release);
    return ahead;
}

// Draws the band's share of the queued blits from where its last turn stopped up to `end`: of a
// blit the band has a part for, only that part.
void BlitQueue::drawUpTo(Band& band, int end, bool onHelperSurface) {
    int index = band.made.load(std::memory_order_relaxed);
    for (; index < end; ++index) {
        const Entry& entry = entries[index];
        if (entry.y >= band.bottom || entry.y + entry.rows() <= band.top) {
            continue;
        }
        SDL_Rect at{entry.x, entry.y, 0, 0};
        SDL_Rect source = entry.source;
        SDL_Rect* sourceOrWhole = entry.whole ? nullptr : &source;
        if (index >= band.partsFrom && index < band.partsTo &&
            band.room->parts[index].columns != asQueued) {
            const Part& part = band.room->parts[index];
            if (part.columns == 0) {
                hiddenBlitCount.fetch_add(1, std::memory_order_relaxed);
                continue; // covered all over by later blits, or beside the screen
            }
            source = SDL_Rect{static_cast<Sint16>(part.x - entry.x),
                              static_cast<Sint16>(part.y - entry.y), part.columns, part.rows};
            at = SDL_Rect{part.x, part.y, 0, 0};
            sourceOrWhole = &source;
        }
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

// Holding the band's turn, while blits are held: works out, last blit first, which part of each
// blit from `from` to `end` that reaches the band's rows it draws, as far as the blits up to `end`
// cover it. A blit whose picture hides what lies beneath needs only the rectangle around its
// pixels that no later such blit covers with opaque ones; any other is drawn as queued, and
// covers nothing.
void BlitQueue::findParts(Band& band, int from, int end) {
    const int top = std::max(band.top, 0);
    const int bottom = std::min(band.bottom, screen->h);
    for (int row = top; row < bottom; ++row) {
        std::fill(std::begin(band.room->covered[row]), std::end(band.room->covered[row]), 0);
    }
    for (int index = end - 1; index >= from; --index) {
        const Entry& entry = entries[index];
        Part& part = band.room->parts[index];
        part = Part{0, 0, asQueued, asQueued};
        if (entry.y >= bottom || entry.y + entry.rows() <= top) {
            continue;
        }
        if (entry.x >= screen->w || entry.x + entry.columns() <= 0) {
            part.columns = 0; // wholly beside the screen: nothing of it is drawn
            continue;
        }
        const Cover* cover = entry.whole ? coverOf(entry.picture) : nullptr;
        if (cover != nullptr) {
            part = visiblePart(band, entry, *cover, std::max(top, static_cast<int>(entry.y)),
                               std::min(bottom, entry.y + cover->height));
        }
    }
    band.partsFrom = from;
    band.partsTo = end;
}

// The rectangle around the pixels of `entry` in rows [top, bottom) that no later blit covers,
// and those pixels (the opaque ones of its picture) covered from here on. Columns beyond the
// screen's edges may count as seen or covered: nothing is drawn there anyway.
BlitQueue::Part BlitQueue::visiblePart(Band& band, const Entry& entry, const Cover& cover, int top,
                                       int bottom) {
    int firstRow = INT_MAX;
    int lastRow = INT_MIN;
    int firstColumn = INT_MAX;
    int lastColumn = INT_MIN;
    // Word k of a cover row starts at screen column x + 64 k: in screen word `word` + k, shifted
    // up by `shift` bits, and the rest in the word after. (x is at least -32 768, so the shifted
    // division rounds down.)
    const int word = (entry.x + farthestLeft) / wordBits - farthestLeft / wordBits;
    const int shift = entry.x - word * wordBits;
    for (int row = top; row < bottom; ++row) {
        const std::uint64_t* bits = cover.row(row - entry.y);
        std::uint64_t* line = band.room->covered[row];
        std::uint64_t carried = 0; // the bits of the last cover word beyond its screen word
        for (int k = 0; k <= cover.wordsPerRow; ++k) {
            const std::uint64_t from = k < cover.wordsPerRow ? bits[k] : 0;
            const std::uint64_t here = (from << shift) | carried;
            carried = shift == 0 ? 0 : from >> (wordBits - shift);
            const int at = word + k;
            if (here == 0 || at < 0 || at >= coverWords) {
                continue;
            }
            const std::uint64_t seen = here & ~line[at];
            line[at] |= here;
            if (seen != 0) {
                firstRow = std::min(firstRow, row);
                lastRow = row;
                firstColumn = std::min(firstColumn, at * wordBits + std::countr_zero(seen));
                lastColumn =
                    std::max(lastColumn, at * wordBits + wordBits - 1 - std::countl_zero(seen));
            }
        }
    }
    if (lastRow < firstRow) {
        return Part{0, 0, 0, 0};
    }
    return Part{static_cast<Sint16>(firstColumn), static_cast<Sint16>(firstRow),
                static_cast<Uint16>(lastColumn - firstColumn + 1),
                static_cast<Uint16>(lastRow - firstRow + 1)};
}
