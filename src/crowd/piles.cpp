// Piles: which crowd slots share one exact coordinate, kept up to date slot by slot.
#include "crowd/piles.h"

#include "platform/bit_words.h"

#include <algorithm>
#include <cmath>

namespace {

// Spreads the bits of a coordinate over the table (Fibonacci hashing).
constexpr std::uint64_t hashMultiplier = 0x9E3779B97F4A7C15ULL;

} // namespace

void Piles::clear() {
    if (!poolReady) {
        for (int index = 0; index < pileLimit; ++index) {
            freeList[index] = pileLimit - 1 - index;
        }
        freeCount = pileLimit;
        poolReady = true;
    }
    while (usedCount > 0) {
        const int index = used[usedCount - 1];
        std::fill(std::begin(piles[index].slots), std::end(piles[index].slots), 0);
        piles[index].size = 0;
        freePile(index);
    }
    // cppcheck-suppress knownConditionTrueFalse ; the 16-bit stamp does wrap to 0
    if (++generation == 0) {
        // After 65 535 clearings the stamps come round again: start from a clean table.
        std::fill(std::begin(table), std::end(table), Entry{});
        generation = 1;
    }
    entriesThisGeneration = 0;
    std::fill(std::begin(entryOf), std::end(entryOf), 0);
}

void Piles::file(int slot, bool inPlay, double coordinate) {
    if (!poolReady) {
        clear(); // the first use: no coordinate is known yet
    }
    leave(slot);
    if (inPlay && std::isfinite(coordinate) && coordinate != 0.0) {
        join(slot, coordinate);
    }
}

int Piles::pileOf(int slot) const {
    const int at = entryOf[slot] - 1;
    return at < 0 ? noPile : table[at].pile;
}

int Piles::entryFor(double coordinate) {
    const std::uint64_t key = platform::bit_cast<std::uint64_t>(coordinate);
    int at = static_cast<int>((key * hashMultiplier) >> (64 - tableBits));
    while (table[at].generation == generation) {
        if (table[at].key == key) {
            return at;
        }
        at = (at + 1) & (tableSize - 1);
    }
    if (entriesThisGeneration >= tableLoadLimit) {
        return -1;
    }
    ++entriesThisGeneration;
    table[at] = Entry{key, generation, 0, static_cast<std::int16_t>(noSlot),
                      static_cast<std::int16_t>(noPile)};
    return at;
}

void Piles::leave(int slot) {
    const int at = entryOf[slot] - 1;
    if (at < 0) {
        return;
    }
    entryOf[slot] = 0;
    Entry& entry = table[at];
    --entry.count;
    if (entry.soleSlot == slot) {
        entry.soleSlot = static_cast<std::int16_t>(noSlot);
    }
    if (entry.pile != noPile) {
        removeMember(entry.pile, slot);
        if (piles[entry.pile].size == 0) {
            freePile(entry.pile);
            entry.pile = static_cast<std::int16_t>(noPile);
        }
    }
}

void Piles::join(int slot, double coordinate) {
    const int at = entryFor(coordinate);
    if (at < 0) {
        return;
    }
    entryOf[slot] = at + 1;
    Entry& entry = table[at];
    ++entry.count;
    if (entry.pile != noPile) {
        addMember(entry.pile, slot);
    } else if (entry.count == 1) {
        entry.soleSlot = static_cast<std::int16_t>(slot);
    } else if (entry.count == 2 && entry.soleSlot != noSlot) {
        entry.pile = static_cast<std::int16_t>(makePile(coordinate));
        if (entry.pile != noPile) {
            addMember(entry.pile, entry.soleSlot);
            addMember(entry.pile, slot);
            entry.soleSlot = static_cast<std::int16_t>(noSlot);
        }
    }
}

int Piles::makePile(double coordinate) {
    if (freeCount == 0) {
        return noPile;
    }
    const int index = freeList[--freeCount];
    piles[index].at = coordinate;
    piles[index].size = 0;
    used[usedCount++] = index;
    return index;
}

void Piles::addMember(int pileIndex, int slot) {
    Pile& grown = piles[pileIndex];
    grown.slots[slot / wordBits] |= std::uint64_t{1} << (slot % wordBits);
    if (++grown.size == largePile) {
        list(pileIndex);
    }
}

void Piles::removeMember(int pileIndex, int slot) {
    Pile& shrunk = piles[pileIndex];
    shrunk.slots[slot / wordBits] &= ~(std::uint64_t{1} << (slot % wordBits));
    if (shrunk.size-- == largePile) {
        unlist(pileIndex);
    }
}

void Piles::freePile(int pileIndex) {
    if (largePosition[pileIndex] != 0) {
        unlist(pileIndex);
    }
    const int* position = std::find(used, used + usedCount, pileIndex);
    used[position - used] = used[--usedCount];
    freeList[freeCount++] = pileIndex;
}

void Piles::list(int pileIndex) {
    ++largeChangeCount;
    largePointers[largeCount] = &piles[pileIndex];
    large[largeCount++] = pileIndex;
    largePosition[pileIndex] = largeCount;
}

void Piles::unlist(int pileIndex) {
    ++largeChangeCount;
    const int position = largePosition[pileIndex] - 1;
    const int moved = large[--largeCount];
    large[position] = moved;
    largePointers[position] = &piles[moved];
    largePosition[moved] = position + 1;
    largePosition[pileIndex] = 0;
}
