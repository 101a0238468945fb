// The frame's queue of screen blits, the turns that keep them in order, and the cut of the screen
// into bands for the two threads.
#include "render/blit_queue.h"

#include "platform/spin_wait.h"
#include "render/screen_blit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
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

// A surface's pixels of four bytes, row by row (read once, not again through the surface at
// every pixel).
struct Pixels {
    const Uint32* first;
    int stride;

    explicit Pixels(const SDL_Surface* surface)
        : first(static_cast<const Uint32*>(surface->pixels)), stride(surface->pitch / 4) {}
    Uint32 at(int x, int y) const { return first[static_cast<std::ptrdiff_t>(y) * stride + x]; }
};

// How a picture is blitted, as far as its own surface decides: pictures alike in all of it are
// blitted alike.
struct BlitKind {
    Uint32 masks[4] = {};
    Uint8 bytesPerPixel = 0;
    Uint32 flags = 0;
    Uint8 surfaceAlpha = 0;
    Uint32 colourKey = 0;

    BlitKind() = default;
    explicit BlitKind(const SDL_Surface* picture)
        : masks{picture->format->Rmask, picture->format->Gmask, picture->format->Bmask,
                picture->format->Amask},
          bytesPerPixel(picture->format->BytesPerPixel),
          flags(picture->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY | SDL_RLEACCEL)),
          surfaceAlpha(picture->format->alpha), colourKey(picture->format->colorkey) {}
    bool operator==(const BlitKind&) const = default;
};

// Two surfaces like the screen, one with every bit clear and one with every bit set, to try
// blits on; null when the screen's pixels are not four bytes.
class TrialGrounds {
  public:
    static constexpr Uint32 fills[2] = {0, UINT32_MAX};
    static constexpr int trialOffsets = 8;
    static constexpr int trialColumns = 256;
    static constexpr int trialRows = 16;

    TrialGrounds() {
        const SDL_PixelFormat* format = screen->format;
        for (SDL_Surface*& ground : grounds) {
            ground = format->BytesPerPixel != 4
                         ? nullptr
                         : SDL_CreateRGBSurface(SDL_SWSURFACE, trialColumns + trialOffsets,
                                                trialRows, format->BitsPerPixel, format->Rmask,
                                                format->Gmask, format->Bmask, format->Amask);
        }
    }
    TrialGrounds(const TrialGrounds&) = delete;
    TrialGrounds& operator=(const TrialGrounds&) = delete;
    ~TrialGrounds() {
        for (SDL_Surface* ground : grounds) {
            SDL_FreeSurface(ground);
        }
    }

    // Whether pictures blitted like `picture` (whose pixels are all opaque or clear, as
    // `opaqueAt(x, y)` says) hide what lies beneath, tried once per kind.
    template <class OpaqueAt> bool hideLike(SDL_Surface* picture, OpaqueAt opaqueAt) {
        const BlitKind kind(picture);
        for (int i = 0; i < triedCount; ++i) {
            if (tried[i].first == kind) {
                return tried[i].second;
            }
        }
        const bool hides = hide(picture, opaqueAt);
        if (triedCount < triedRoom) {
            tried[triedCount++] = {kind, hides};
        }
        return hides;
    }

    // Whether blitting `picture` leaves what lies beneath a clear pixel alone and makes an opaque
    // pixel the same whatever lay beneath: tried at every offset up to trialOffsets - 1 pixels,
    // for the blitter's every way of starting a row.
    template <class OpaqueAt> bool hide(SDL_Surface* picture, OpaqueAt opaqueAt) {
        for (int offset = 0; offset < trialOffsets; ++offset) {
            if (!hideAt(picture, opaqueAt, offset)) {
                return false;
            }
        }
        return true;
    }

  private:
    // Tried on a strip of the picture's rows across its middle, at most trialColumns wide: the
    // blitter treats each pixel alike wherever it lies, and a whole background would take long.
    template <class OpaqueAt> bool hideAt(SDL_Surface* picture, OpaqueAt opaqueAt, int offset) {
        const int width = std::min(picture->w, trialColumns);
        const int firstRow = std::max(0, picture->h / 2 - trialRows / 2);
        const int rows = std::min(picture->h - firstRow, trialRows);
        SDL_Rect strip{0, static_cast<Sint16>(firstRow), static_cast<Uint16>(width),
                       static_cast<Uint16>(rows)};
        for (int i = 0; i < 2; ++i) {
            SDL_Rect area{0, 0, static_cast<Uint16>(width + offset), static_cast<Uint16>(rows)};
            SDL_Rect at{static_cast<Sint16>(offset), 0, 0, 0};
            if (grounds[i] == nullptr || SDL_MUSTLOCK(grounds[i]) ||
                SDL_FillRect(grounds[i], &area, fills[i]) != 0 ||
                SDL_UpperBlit(picture, &strip, grounds[i], &at) != 0) {
                return false;
            }
        }
        const Pixels onClear(grounds[0]);
        const Pixels onSet(grounds[1]);
        bool hides = true;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < width; ++x) {
                const Uint32 clear = onClear.at(x + offset, y);
                const Uint32 set = onSet.at(x + offset, y);
                hides &=
                    opaqueAt(x, firstRow + y) ? clear == set : clear == fills[0] && set == fills[1];
            }
        }
        return hides;
    }

    static constexpr int triedRoom = 8;
    SDL_Surface* grounds[2] = {};
    std::array<std::pair<BlitKind, bool>, triedRoom> tried{};
    int triedCount = 0;
};

// What is noted for `picture` among the first `count` of `noted` (pairs sorted by picture), or
// null.
template <class Noted>
const typename Noted::value_type* notedFor(const Noted& noted, int count,
                                           const SDL_Surface* picture) {
    const auto end = noted.begin() + count;
    const auto found = std::lower_bound(
        noted.begin(), end, picture,
        [](const auto& entry, const SDL_Surface* original) { return entry.first < original; });
    return found != end && found->first == picture ? &*found : nullptr;
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
    if (screen != nullptr && copyCount > 0) {
        TrialGrounds grounds;
        for (int i = 0; i < copyCount && hidingCount < pictureRoom; ++i) {
            SDL_Surface* picture = copies[i].first;
            Cover& cover = covers[hidingCount];
            const auto opaqueAt = [&cover](int x, int y) {
                return (cover.row(y)[x / wordBits] >> (x % wordBits) & 1) != 0;
            };
            if (coverOpaque(picture, cover) && grounds.hideLike(picture, opaqueAt)) {
                hiding[hidingCount] = {picture, hidingCount};
                ++hidingCount;
            }
        }
    }
    std::sort(hiding.begin(), hiding.begin() + hidingCount);
    for (Band& band : bands) {
        if (hidingCount > 0 && band.room == nullptr) {
            band.room = std::make_unique<Band::PartsRoom>();
        }
    }
}

// Makes `cover` a bit per opaque pixel of `picture` (per-pixel alpha, four bytes a pixel);
// false if any pixel is neither opaque nor clear, or the picture has no alpha of its own.
bool BlitQueue::coverOpaque(SDL_Surface* picture, Cover& cover) {
    const SDL_PixelFormat* format = picture->format;
    if (format->BytesPerPixel != 4 || format->Amask == 0 || (picture->flags & SDL_SRCALPHA) == 0 ||
        SDL_LockSurface(picture) != 0) {
        return false;
    }
    const Pixels pixels(picture);
    const Uint32 alphaMask = format->Amask;
    const int width = picture->w;
    const int height = picture->h;
    cover.height = height;
    cover.wordsPerRow = (width + wordBits - 1) / wordBits;
    cover.rows.assign(static_cast<size_t>(cover.wordsPerRow) * height, 0);
    std::uint64_t* word = cover.rows.data();
    bool binary = true;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++word) {
            std::uint64_t bits = 0;
            for (int bit = 0; bit < wordBits && x < width; ++bit, ++x) {
                const Uint32 alpha = pixels.at(x, y) & alphaMask;
                binary &= alpha == 0 || alpha == alphaMask;
                bits |= std::uint64_t{alpha != 0 ? 1U : 0U} << bit;
            }
            *word = bits;
        }
    }
    SDL_UnlockSurface(picture);
    return binary;
}

const BlitQueue::Cover* BlitQueue::coverOf(const SDL_Surface* picture) const {
    const auto* found = notedFor(hiding, hidingCount, picture);
    return found != nullptr ? &covers[found->second] : nullptr;
}

void BlitQueue::holdHelperShare(std::optional<double> held) {
    shareHeld = held.has_value();
    share = std::clamp(held.value_or(share), 0.0, 1.0);
}

SDL_Surface* BlitQueue::copyOf(SDL_Surface* picture) const {
    const auto* found = notedFor(copies, copyCount, picture);
    return found != nullptr ? found->second : nullptr;
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
    if (band.made.load(std::memory_order_relaxed) >= end || blitsHeld() || !takeTurn(band)) {
        return false;
    }
    // The queue may have closed (and opened again) meanwhile: look again, holding the turn.
    const int from = band.made.load(std::memory_order_relaxed);
    const int now = queued.load(std::memory_order_acquire);
    const bool drawn = cutInBands.load(std::memory_order_relaxed) == cut && !blitsHeld();
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

bool BlitQueue::blitsHeld() const {
    return holding.load(std::memory_order_relaxed) && closedAt.load(std::memory_order_acquire) == 0;
}

bool BlitQueue::drawAhead() {
    Band& band = bands[lower];
    if (onFrameLoop || !blitsHeld() || !takeTurn(band)) {
        return false;
    }
    // The queue may have closed (and opened again) meanwhile: look again, holding the turn.
    const int from = band.made.load(std::memory_order_relaxed);
    const int now = queued.load(std::memory_order_acquire);
    const bool ahead = blitsHeld() && now - from >= fewestDrawnAhead;
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
    long hidden = 0;
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
                // Covered all over by later blits (no rows left), or wholly beside the screen.
                hidden += part.rows == 0 ? 1 : 0;
                continue;
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
    hiddenBlitCount.fetch_add(hidden, std::memory_order_relaxed);
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
            part = besideScreen; // nothing of it is drawn
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

namespace {

BlitQueue frameQueue;

} // namespace

BlitQueue& frameBlits() {
    return frameQueue;
}

void connectFrameBlits() {
    setScreenBlitTaker([](SDL_Surface* picture, const SDL_Rect* source, const SDL_Rect& at) {
        return frameQueue.take(picture, source, at);
    });
}
