// The drawing floors: a frame's blits written down through the blit wrap, then replayed alone.
#include "drawing_floors.h"

#include "alloc_counter.h"
#include "bench_clock.h"
#include "state/globals.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <semaphore>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// The fill colour of the game's frame.
constexpr Uint32 fillColour = 255;

struct RecordedBlit {
    SDL_Surface* source;
    SDL_Rect sourceRect;
    bool whole;
    SDL_Rect target;
};

std::array<RecordedBlit, pieceCount + 16> recorded;
size_t recordedCount = 0;
bool recording = false;
SDL_Surface* (*copyStandIn)() = nullptr;

// How the two-core floor splits the screen: into two bands of rows, cut where the blits' pixels
// (the fill's counted alike) are shared evenly; each thread draws every blit that reaches into
// its band, in order. Two bands keep the blits drawn twice (across the cut) few.
constexpr int bandCount = 2;

// What one thread draws with: its own surface over the screen's pixels, whose clip rectangle it
// alone sets, and its own copies of the pictures, since SDL keeps per picture how it blits to the
// surface it last went to and two threads must never blit the same picture at once.
struct Drawer {
    SDL_Surface* surface = nullptr;
    std::unordered_map<SDL_Surface*, SDL_Surface*> copies;
};

Drawer drawers[2];
int bandTop[bandCount + 1];
std::array<int, pieceCount + 16> blitTop;
std::array<int, pieceCount + 16> blitBottom;

// How many of the screen's columns `blit` reaches (none when 0 or less).
int columnsOnScreen(const RecordedBlit& blit) {
    const int w = blit.whole ? blit.source->w : blit.sourceRect.w;
    return std::min(screen->w, blit.target.x + w) - std::max(0, static_cast<int>(blit.target.x));
}

// Makes `blit` again with `picture` onto `target`.
void replay(const RecordedBlit& blit, SDL_Surface* picture, SDL_Surface* target) {
    SDL_Rect at = blit.target;
    SDL_Rect source = blit.sourceRect;
    SDL_UpperBlit(picture, blit.whole ? nullptr : &source, target, &at);
}

// The rows each recorded blit reaches on the screen. A blit that reaches no pixel at all (off the
// screen) still costs its call: it goes to the upper band alone.
void findBlitRows() {
    for (size_t i = 0; i < recordedCount; ++i) {
        const RecordedBlit& blit = recorded[i];
        const int h = blit.whole ? blit.source->h : blit.sourceRect.h;
        blitTop[i] = std::max(0, static_cast<int>(blit.target.y));
        blitBottom[i] = std::min(screen->h, blit.target.y + h);
        if (columnsOnScreen(blit) <= 0 || blitBottom[i] <= blitTop[i]) {
            blitTop[i] = 0;
            blitBottom[i] = 1;
        }
    }
}

// Cuts the screen where the rows above and below hold as many pixels to draw as each other.
void cutBands() {
    std::vector<long> rowStarts(screen->h + 1, 0);
    long total = 0;
    const auto add = [&](int top, int bottom, long width) {
        rowStarts[top] += width;
        rowStarts[bottom] -= width;
        total += width * (bottom - top);
    };
    add(0, screen->h, screen->w); // the fill
    for (size_t i = 0; i < recordedCount; ++i) {
        const int columns = columnsOnScreen(recorded[i]);
        if (columns > 0) {
            add(blitTop[i], blitBottom[i], columns);
        }
    }
    bandTop[0] = 0;
    bandTop[bandCount] = screen->h;
    long perRow = 0;
    long above = 0;
    int band = 1;
    for (int row = 0; row < screen->h && band < bandCount; ++row) {
        perRow += rowStarts[row];
        above += perRow;
        if (above * bandCount >= total * band) {
            bandTop[band++] = row + 1;
        }
    }
    while (band < bandCount) {
        bandTop[band++] = screen->h;
    }
}

void drawBand(Drawer& drawer, int band) {
    const int top = bandTop[band];
    const int bottom = bandTop[band + 1];
    if (bottom <= top) {
        return;
    }
    SDL_Rect rows{0, static_cast<Sint16>(top), static_cast<Uint16>(screen->w),
                  static_cast<Uint16>(bottom - top)};
    SDL_SetClipRect(drawer.surface, &rows);
    SDL_FillRect(drawer.surface, &rows, fillColour);
    for (size_t i = 0; i < recordedCount; ++i) {
        if (blitBottom[i] <= top || blitTop[i] >= bottom) {
            continue;
        }
        replay(recorded[i], drawer.copies.at(recorded[i].source), drawer.surface);
    }
}

// The second core's drawer: draws the lower band each time it is woken.
class SecondDrawer {
  public:
    SecondDrawer() : thread([this] { loop(); }) { thread.detach(); }

    void start() { go.release(); }
    void wait() { done.acquire(); }

  private:
    void loop() {
        for (;;) {
            go.acquire();
            drawBand(drawers[1], 1);
            done.release();
        }
    }

    std::binary_semaphore go{0};
    std::binary_semaphore done{0};
    std::thread thread;
};

SDL_Surface* surfaceOverScreen() {
    const SDL_PixelFormat* format = screen->format;
    return SDL_CreateRGBSurfaceFrom(screen->pixels, screen->w, screen->h, format->BitsPerPixel,
                                    screen->pitch, format->Rmask, format->Gmask, format->Bmask,
                                    format->Amask);
}

void copyPicture(SDL_Surface* picture) {
    for (Drawer& drawer : drawers) {
        if (!drawer.copies.contains(picture)) {
            drawer.copies[picture] = SDL_ConvertSurface(picture, picture->format, picture->flags);
        }
    }
}

// Readies both drawers for the recorded frame: surfaces over the screen's pixels as they are now,
// and copies of any picture not copied yet.
void readyDrawers() {
    for (Drawer& drawer : drawers) {
        if (drawer.surface == nullptr || drawer.surface->pixels != screen->pixels) {
            SDL_FreeSurface(drawer.surface);
            drawer.surface = surfaceOverScreen();
        }
    }
    for (size_t i = 0; i < recordedCount; ++i) {
        copyPicture(recorded[i].source);
    }
    findBlitRows();
    cutBands();
}

void drawWhole() {
    SDL_FillRect(screen, nullptr, fillColour);
    for (size_t i = 0; i < recordedCount; ++i) {
        replay(recorded[i], recorded[i].source, screen);
    }
}

} // namespace

namespace {

// The thread that records (the frame loop): every blit it asks of the screen is written down
// once, as asked, however the game then makes it (at once, or queued and split between threads
// and bands).
thread_local bool recordsHere = false;

} // namespace

extern "C" void __real__Z12blitToScreenP11SDL_SurfaceP8SDL_RectS2_(SDL_Surface* picture,
                                                                   SDL_Rect* source,
                                                                   SDL_Rect* destination);
extern "C" void __wrap__Z12blitToScreenP11SDL_SurfaceP8SDL_RectS2_(SDL_Surface* picture,
                                                                   SDL_Rect* source,
                                                                   SDL_Rect* destination) {
    if (recordsHere && recording && recordedCount < recorded.size()) {
        RecordedBlit& blit = recorded[recordedCount++];
        blit.source = picture == bench::liveCopy() ? copyStandIn() : picture;
        blit.whole = source == nullptr;
        blit.sourceRect = source ? *source : SDL_Rect{};
        blit.target = destination ? *destination : SDL_Rect{};
    }
    __real__Z12blitToScreenP11SDL_SurfaceP8SDL_RectS2_(picture, source, destination);
}

namespace {

std::atomic<bool> countingPixels{false};
std::atomic<long> pixelsDrawn{0};

} // namespace

// SDL_UpperBlit leaves in `destination` the rectangle it drew; drawn wholly onto a surface, it
// drew the whole clipped picture.
extern "C" int __real_SDL_UpperBlit(SDL_Surface* picture, SDL_Rect* source, SDL_Surface* target,
                                    SDL_Rect* destination);
extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* picture, SDL_Rect* source, SDL_Surface* target,
                                    SDL_Rect* destination) {
    SDL_Rect at = destination != nullptr ? *destination : SDL_Rect{};
    const int result = __real_SDL_UpperBlit(picture, source, target, &at);
    if (destination != nullptr) {
        *destination = at;
    }
    if (countingPixels.load(std::memory_order_relaxed) && result == 0 && target != nullptr &&
        screen != nullptr && target->pixels == screen->pixels) {
        pixelsDrawn.fetch_add(static_cast<long>(at.w) * at.h, std::memory_order_relaxed);
    }
    return result;
}

namespace bench {

void startCountingPixels() {
    pixelsDrawn.store(0, std::memory_order_relaxed);
    countingPixels.store(true, std::memory_order_release);
}

long stopCountingPixels() {
    countingPixels.store(false, std::memory_order_release);
    return pixelsDrawn.load(std::memory_order_acquire);
}

void startRecording() {
    recordsHere = true;
    recordedCount = 0;
    recording = true;
}

void stopRecording() {
    recording = false;
}

void setStandInForCopies(SDL_Surface* (*standIn)()) {
    copyStandIn = standIn;
}

void copyPictures(SDL_Surface* const* pictures, int count) {
    for (int i = 0; i < count; ++i) {
        if (pictures[i] != nullptr) {
            copyPicture(pictures[i]);
        }
    }
}

double oneCoreFloorMs() {
    const double start = bench::nowMs();
    drawWhole();
    SDL_Flip(screen);
    return bench::nowMs() - start;
}

double twoCoreFloorMs() {
    static SecondDrawer second;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) {
        return oneCoreFloorMs();
    }
    readyDrawers();
    const double start = bench::nowMs();
    second.start();
    drawBand(drawers[0], 0);
    second.wait();
    const double drawn = bench::nowMs();
    if (SDL_MUSTLOCK(screen)) {
        SDL_UnlockSurface(screen);
    }
    const double flipStart = bench::nowMs();
    SDL_Flip(screen);
    return (drawn - start) + (bench::nowMs() - flipStart);
}

} // namespace bench
