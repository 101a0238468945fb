// BlitQueue: a frame's blits onto the screen, kept in order and made by whichever thread has time.
#pragma once

#include "state/globals.h"

#include <SDL/SDL.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// While open, the queue takes every blit the frame loop makes onto the screen (the scene's, then
// the enemies') instead of letting it be made, and the Crowd's helper thread (or the frame loop
// itself, whenever it waits) makes the queued blits onto the screen, in the order they were
// queued. The screen ends up exactly as if every blit had been made at once. The frame loop
// closes the queue before the hero draws: from then on, blits are made at once again.
//
// Once `shareDrawing` has given the helper copies of the pictures, the screen is cut into two
// bands of rows, and each band takes the queued blits in order, clipped to its rows: the helper
// draws the lower band through a surface of its own over the screen's pixels, the frame loop the
// upper one (and whatever of the lower one the helper has not reached when the queue closes).
// Every pixel still gets its blits in queue order. The cut moves from frame to frame so that the
// helper, which is free while the frame loop updates the enemies, takes as much as it can.
//
// Pictures whose every pixel is opaque or clear (the sprites) hide wholly what lies beneath
// their opaque pixels, where the screen's blits make such a pixel whatever lay there. Given such
// pictures, the queue holds every blit until it closes (the helper drawing ahead meanwhile what
// it may, `drawAhead`), then draws of each blit only the rectangle around its pixels that no
// later blit covers: in a crowd the enemies stand dozens deep, and most of what they would draw
// is drawn over again. (Only while the screen is cut: each band then draws across the whole width
// of the screen.)
class BlitQueue {
  public:
    // Room for one blit per enemy and the scene's few; beyond that the queue closes itself and
    // blits at once.
    static constexpr int capacity = pieceCount + 64;

    // Gives the helper thread its own copies of `pictures` (null entries skipped), for cutting
    // the screen into bands, and notes which of them hide what lies beneath (for the screen as it
    // is now); copies made by an earlier call are freed. Pictures the helper has no copy of are
    // left to the frame loop. Not while the queue is open.
    void shareDrawing(SDL_Surface* const* pictures, int count);

    // Starts queueing. Frame loop only.
    void open();
    // Makes the blits still queued and goes back to blitting at once. Frame loop only.
    void close();
    bool isOpen() const { return opened; }

    // Takes a blit onto the screen (arguments as SDL_UpperBlit's) to make it later, if the queue
    // is open and this is the frame loop's thread; whether it took it. The picture must outlive
    // the queue's close.
    bool take(SDL_Surface* picture, const SDL_Rect* source, const SDL_Rect& at);

    // Makes the blits queued so far, of the band this thread draws, if no other thread is making
    // them; whether it made any. Any thread.
    bool blitQueued();
    // While blits are held: draws the earlier half of those held so far on the helper's band, of
    // each what the blits queued after it cover so far. Later blits may cover more of it, drawn
    // then in vain, but by a thread with nothing else to do. Helper thread; whether it drew any.
    bool drawAhead();

    // The share of the queued pixels the helper's band is cut for, from 0 to 1; 0 while the
    // screen is not cut.
    double helperShare() const { return cutInBands.load(std::memory_order_relaxed) ? share : 0.0; }
    // How many blits the helper has made on its surface so far. Frame loop, queue closed.
    long helperBlits() const { return helperBlitCount; }
    // How many times so far a band left a queued blit out, covered all over there by later ones.
    long hiddenBlits() const { return hiddenBlitCount; }
    // Holds the helper's share at `held` (from 0 to 1) from the next frame on, or lets it follow
    // the threads' pace again (nullopt). Not while the queue is open.
    void holdHelperShare(std::optional<double> held);

  private:
    static constexpr size_t cacheLine = 64;
    static constexpr int pictureRoom = 128;
    static constexpr int coverWords = screenWidth / 64 + 2; // per screen row, with a spare

    struct Entry {
        SDL_Surface* picture;
        SDL_Rect source; // when not `whole`
        bool whole;
        Sint16 x;
        Sint16 y;

        // How many rows and columns it may reach from (x, y): at most these.
        int rows() const { return whole ? picture->h : source.h; }
        int columns() const { return whole ? picture->w : source.w; }
    };

    // Of a picture whose pixels are all opaque or clear, a bit per opaque pixel, row by row.
    struct Cover {
        int height = 0;
        int wordsPerRow = 0;
        std::vector<std::uint64_t> rows;

        const std::uint64_t* row(int y) const {
            return rows.data() + static_cast<std::ptrdiff_t>(y) * wordsPerRow;
        }
    };

    // The part of a queued blit a band draws, on the screen: nothing when `columns` is 0 (with
    // `rows` 0 too when later blits cover it all over there).
    struct Part {
        Sint16 x;
        Sint16 y;
        Uint16 columns;
        Uint16 rows;
    };
    static constexpr Part besideScreen{0, 0, 0, 1};

    // A band of rows [top, bottom) and how far its blits have got (entries below `made` are on the
    // screen there); one thread at a time holds its turn.
    struct alignas(cacheLine) Band {
        std::atomic<bool> turnTaken{false};
        std::atomic<int> made{0};
        int top = 0;
        int bottom = 0;
        // While blits are held: which part of each blit from `partsFrom` to `partsTo` the band
        // draws, and a bit per screen pixel of the band covered by the opaque pixels of the blits
        // after it up to `partsTo`; made when the first pictures that hide are shared.
        int partsFrom = 0;
        int partsTo = 0;
        struct PartsRoom {
            Part parts[capacity];
            std::uint64_t covered[screenHeight][coverWords];
        };
        std::unique_ptr<PartsRoom> room;
    };
    enum { upper, lower, bandCount };

    bool opened = false;
    // Whether this frame's blits are drawn in two bands; read by the helper before it holds a turn.
    std::atomic<bool> cutInBands{false};
    // Whether this frame's blits wait for the queue to close, and once it has, how many there are.
    std::atomic<bool> holding{false};
    std::atomic<int> closedAt{0};
    double share = 0.5;
    bool shareHeld = false;
    int cutRow = screenHeight / 2; // the first row of the lower band
    // Written by the frame loop; `queued` publishes the entries below it.
    alignas(cacheLine) std::atomic<int> queued{0};
    Band bands[bandCount];
    alignas(cacheLine) Entry entries[capacity]{};

    // The helper's surface over the screen's pixels and its copies of the pictures, sorted by
    // the picture they copy.
    SDL_Surface* helperSurface = nullptr;
    std::array<std::pair<SDL_Surface*, SDL_Surface*>, pictureRoom> copies{};
    int copyCount = 0;
    // The pictures that hide what lies beneath, sorted by picture, and their covers.
    std::array<std::pair<const SDL_Surface*, int>, pictureRoom> hiding{};
    int hidingCount = 0;
    std::array<Cover, pictureRoom> covers{};
    long helperBlitCount = 0; // written while holding the lower band's turn
    std::atomic<long> hiddenBlitCount{0};
    std::array<long, screenHeight + 1> rowStarts{};

    // Whether this frame's blits wait for the queue to close, and it has not closed yet.
    bool blitsHeld() const;
    bool readyHelperSurface();
    SDL_Surface* copyOf(SDL_Surface* picture) const;
    static bool coverOpaque(SDL_Surface* picture, Cover& cover);
    const Cover* coverOf(const SDL_Surface* picture) const;
    void findParts(Band& band, int from, int end);
    void drawUpTo(Band& band, int end, bool onHelperSurface);
    static Part visiblePart(Band& band, const Entry& entry, const Cover& cover, int top,
                            int bottom);
    void cutForNextFrame(int count);
    bool takeTurn(Band& band);
    void waitForTurn(Band& band);
    void makeUpTo(Band& band, int end, bool onHelperSurface);
    void drawAsFrameLoop(Band& band, int end);
};

// The queue of the frame loop, which crowding opens in a frame its helper thread shares.
BlitQueue& frameBlits();

// From now on, the frame loop's queue takes the screen's blits while it is open. Once, at
// start-up; until then every blit is made at once.
void connectFrameBlits();
