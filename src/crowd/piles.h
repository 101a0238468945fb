// Piles: the groups of crowd slots standing at exactly one coordinate on one axis.
#pragma once

#include "state/globals.h"

#include <cstdint>
#include <span>

// Enemies held at an edge of the street stand at exactly the same coordinate, often by the
// hundreds, and enemies pushed along the same way in one frame end up at exactly the same
// coordinate too. Every member of a pile is as far from a given coordinate as every other, so
// the crowding pass can judge a whole pile with one comparison. Piles follows, for the Crowd,
// which slots stand at which shared coordinate.
//
// Coordinates that are not finite, and 0 (which equals -0 but pushes differently), never pile.
// A pile is made when a second slot arrives at a coordinate, as long as one is free; a
// coordinate shared by slots without a pile just goes unnoticed, which costs time, not results.
class Piles {
  public:
    static constexpr int wordBits = 64;
    static constexpr int wordCount = (pieceCount + 1) / wordBits + 1;
    // How many piles can be followed at once.
    static constexpr int pileLimit = 256;
    // Piles at least this large are listed among the large ones (worth judging as a whole).
    static constexpr int largePile = 8;

    struct Pile {
        double at;
        int size;
        std::uint64_t slots[wordCount]; // a bit per member slot
    };

    // Forgets every slot: all piles are free again, and every slot must be filed anew.
    void clear();
    // `slot` now stands at `coordinate`, or is out of play when `inPlay` is false.
    void file(int slot, bool inPlay, double coordinate);
    // Whether it is time to `clear`: never cleared yet, or `full`.
    bool crowded() const { return !poolReady || full(); }
    // Whether so many coordinates were seen since the last `clear` that it is time for another.
    bool full() const { return entriesThisGeneration > tableLoadLimit / 2; }

    // The piles of at least `largePile` members, as indices for `pile`, and themselves.
    std::span<const int> largeOnes() const { return {large, static_cast<size_t>(largeCount)}; }
    std::span<const Pile* const> largePiles() const {
        return {largePointers, static_cast<size_t>(largeCount)};
    }
    const Pile& pile(int index) const { return piles[index]; }
    // The index of the pile `slot` belongs to, or -1 for none.
    int pileOf(int slot) const;
    // How many times a pile has joined or left the large ones so far.
    unsigned largeChanges() const { return largeChangeCount; }

  private:
    // Every coordinate stood at since `clear`, by its bits: how many slots stand there, the one
    // slot standing there alone (or none known), and its pile (or none).
    struct Entry {
        std::uint64_t key;
        std::uint16_t generation;
        std::int16_t count; // slots number at most pieceCount, well within 16 bits
        std::int16_t soleSlot;
        std::int16_t pile;
    };
    static constexpr int tableBits = 15;
    static constexpr int tableSize = 1 << tableBits;
    // Beyond this many coordinates since `clear` new ones are not looked up (piles go unnoticed)
    // rather than letting the table fill up.
    static constexpr int tableLoadLimit = tableSize * 3 / 4;
    static constexpr int noPile = -1;
    static constexpr int noSlot = -1;

    int entryFor(double coordinate);
    void leave(int slot);
    void join(int slot, double coordinate);
    int makePile(double coordinate);
    void addMember(int pileIndex, int slot);
    void removeMember(int pileIndex, int slot);
    void freePile(int pileIndex);
    void list(int pileIndex);
    void unlist(int pileIndex);

    Entry table[tableSize]{};
    // 0 until the first `clear`, so that a Piles starts out all zeros: a Crowd then takes no room
    // in the program file, only zero-filled memory.
    std::uint16_t generation = 0;
    int entriesThisGeneration = 0;
    int entryOf[pieceCount + 1]{}; // stored one up, so that 0 means none

    Pile piles[pileLimit]{};
    int freeList[pileLimit]{};
    int freeCount = 0;
    bool poolReady = false;
    int used[pileLimit]{};
    int usedCount = 0;
    int large[pileLimit]{};
    const Pile* largePointers[pileLimit]{};
    int largeCount = 0;
    int largePosition[pileLimit]{}; // stored one up, so that 0 means not listed
    unsigned largeChangeCount = 0;
};
