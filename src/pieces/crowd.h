// Crowd: the enemies in play laid out for the crowding pass, so that an enemy looks only at the
// enemies close enough to push it.
#pragma once

#include "pieces/piles.h"
#include "pieces/vec2.h"
#include "shell/globals.h"

#include <cstdint>

class GamePiece;

// While the frame loop updates the pieces, the Crowd keeps a copy of every enemy slot's position
// (or that it is out of play) and, per axis, which slots lie in each stretch of the street. The
// crowding pass of an enemy then visits, in increasing slot order, only the slots near enough on
// that axis to push it, and gives exactly what the plain pass over every slot gives: the same
// pushes, in the same order, with the same arithmetic.
//
// The copy is kept true by the frame loop: it takes every slot in at `open` (after the release),
// and each slot again right after that slot's update. This holds because during the updates a
// piece changes only its own position and its own `dead` flag.
class Crowd {
  public:
    // Width of one stretch of the street, in pixels, and how many there are per axis; positions
    // beyond the outermost stretches count as lying in them.
    static constexpr double stretchWidth = 16.0;
    static constexpr int stretchCount = 2048;

    // Takes in every enemy slot from the piece table (firstEnemySlot to the newest released).
    // Called by the frame loop before the updates.
    void open();
    // The frame loop is about to update the piece in `slot`.
    void enter(int slot) { updating = slot; }
    // Takes in the piece in `slot` again after its update: it may have moved or left play.
    void refresh(int slot);
    // The updates are over; `separate` goes back to the plain pass.
    void close() { isOpen = false; }

    // The slot of `piece` if it is the piece being updated while the Crowd is open and the
    // release schedule has not moved on since `open`; 0 otherwise.
    int slotOf(const GamePiece* piece) const;

    // The crowding pass of the enemy in `slot` standing at `own`: every other enemy in play, in
    // increasing slot order, closer than `distance` on an axis pushes it on that axis by the
    // difference over `divisor`, at once. Returns where it ends.
    Vec2 separate(int slot, Vec2 own, double distance, double divisor) const;

  private:
    static constexpr int wordBits = 64;
    static constexpr int wordCount = (pieceCount + 1) / wordBits + 1;
    static constexpr int notPlaced = -1;

    // One axis: the slots' coordinates, the stretch each slot is filed under, per stretch a bit
    // per slot, and the piles.
    struct Axis {
        double at[pieceCount + 1];
        int stretch[pieceCount + 1];
        std::uint64_t slots[stretchCount][wordCount];
        Piles piles;
        bool refiling = false; // the piles were forgotten: every slot must be filed again

        void forgetPilesIfCrowded();
        void place(int slot, bool inPlay, double coordinate);
        std::uint64_t candidates(int word, int low, int high, int next, int last, int self) const;
        double pass(int self, int last, double own, double distance, double divisor) const;
        template <class Push>
        double walk(int self, int last, double own, double distance, bool equalPushesNothing,
                    Push push) const;
    };

    static int stretchOf(double coordinate);

    Axis xAxis{};
    Axis yAxis{};
    bool isOpen = false;
    int updating = 0;
    int newest = 0;
};

// The Crowd of the frame loop.
Crowd& frameCrowd();
