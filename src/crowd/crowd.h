// Crowd: the enemies in play laid out for the crowding pass, so that an enemy looks only at the
// enemies close enough to push it.
#pragma once

#include "crowd/piles.h"
#include "pieces/vec2.h"
#include "state/globals.h"

#include <cstdint>
#include <optional>
#include <span>

class GamePiece;

// While the frame loop updates the pieces, the Crowd keeps a copy of every enemy slot's position
// (or that it is out of play) and, per axis, which slots lie in each window of a few stretches
// of the street. The crowding pass of an enemy then visits, in increasing slot order, only the
// slots near enough on that axis to push it, and gives exactly what the plain pass over every
// slot gives: the same pushes, in the same order, with the same arithmetic.
//
// The copy is kept true by the frame loop: it takes every slot in at `open` (after the release),
// and each slot again right after that slot's update. This holds because during the updates a
// piece changes only its own position and its own `dead` flag.
//
// With a large crowd on a machine with a second core, a helper thread works the first part of
// enemies' passes out ahead of the frame loop: the part over the slots below the enemy, which
// still stand where the frame found them when the enemy comes up (enemies are updated newest
// first). The frame loop works out any such part the helper has not taken, and goes on from
// there over the slots above. The helper reads only the Crowd, never a piece, and only slots the
// frame loop has not taken in anew. Between passes it does the frame's other shared work (the
// frame's queued blits).
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
    // Takes in the piece in `slot` again after its update: it may have moved or left play. With
    // the helper at work, first waits until it no longer needs the slot as the frame found it.
    void refresh(int slot);
    // The updates are over (and the helper's work with them); `separate` goes back to the plain
    // pass.
    void close();

    // The slot of `piece` if it is the piece being updated while the Crowd is open and the
    // release schedule has not moved on since `open`; 0 otherwise.
    int slotOf(const GamePiece* piece) const;

    // The crowding pass of the enemy in `slot` standing at `own`: every other enemy in play, in
    // increasing slot order, closer than `distance` on an axis pushes it on that axis by the
    // difference over `divisor`, at once. Returns where it ends, or nothing when the helper
    // worked this frame's passes out for another rule or from another place: the caller then
    // takes the plain pass.
    std::optional<Vec2> separate(int slot, Vec2 own, double distance, double divisor);

    // Whether this frame's passes fuse each push into one multiply-add where the enemies stand
    // far from 0: on machines that can, once a power-of-two divisor has been seen.
    bool fusesPushes() const { return xAxis.boundsRule.fusable; }
    // Makes the helper thread now, on a machine with a second core (otherwise the first frame
    // with a large crowd would).
    void prepareHelper();
    // How many frames so far had their passes worked out by the helper thread.
    long helpedFrames() const { return helpedFrameCount; }
    // How many passes so far `separate` refused, leaving the caller to take the plain pass. A
    // helped frame refuses only the enemies asking under another rule than the frame before's or
    // from elsewhere than where the frame found them.
    long refusedPasses() const { return refusedPassCount; }
    // Whether the helper thread works on the frame now open.
    bool isHelped() const { return helped; }
    // Other work of the frame for the helper thread: `work` does some of it and says whether
    // there was any. The helper does it before its share of the passes, and the frame loop does
    // it whenever it waits for the helper. `whenIdle` is work only for the helper, once no pass
    // is left for it. Taken up at the next `open`; null for none.
    void shareHelperWith(bool (*work)(), bool (*whenIdle)() = nullptr);

  private:
    static constexpr int wordBits = 64;
    static constexpr int wordCount = (pieceCount + 1) / wordBits + 1;
    static constexpr int occupiedWords = (wordCount + wordBits - 1) / wordBits;
    static constexpr int notPlaced = -1;
    using LargePiles = std::span<const Piles::Pile* const>;
    // The piles a pass judges whole: those judged whole all frame, whose members are kept out of
    // the loose windows, and the other large ones of the moment.
    struct PileLists {
        LargePiles whole;
        LargePiles others;
    };

    // A crowding rule: pushes within `distance`, by the difference over `divisor`; `inverse` is
    // 1 / divisor when that is a power of two (0 otherwise).
    struct Rule {
        bool known = false; // a pass has asked for this rule
        double distance = 0.0;
        double divisor = 0.0;
        double inverse = 0.0;
        bool fusable = false; // pushes may be fused where the enemies stand far from 0
    };

    // What a slot offers the fused push: the open interval (below, above) of coordinates it
    // pushes, and its share of a push.
    struct Bounds {
        double below;
        double above;
        double share;
    };

    // How many stretches side by side make a window of the street: as many as a pass's reach
    // spans at the crowding distance of the game.
    static constexpr int windowStretches = 6;

    // Per window (the stretches from one up to windowStretches - 1 after it) a bit per slot filed
    // in it, and a bit per word of those that holds any slot, so that a pass skips the empty words
    // without reading them.
    struct Windows {
        std::uint64_t slots[stretchCount][wordCount];
        std::uint64_t occupied[stretchCount][occupiedWords];

        void enter(int window, int slot);
        void leave(int window, int slot);
        // Moves `slot` from the windows of stretch `before` to those of stretch `after` (either
        // may be notPlaced), leaving alone a window that holds it both times.
        void move(int slot, int before, int after);
        std::uint64_t occupiedWordsOf(int block, int low, int high, int firstWord,
                                      int lastWord) const;
        std::uint64_t candidates(int word, int low, int high, int next, int last, int self) const;
    };

    // One axis: the slots' coordinates, the stretch each slot is filed under, the windows of
    // every slot and of the loose ones (those outside the piles judged whole this frame), the
    // piles, and the slots' bounds for the fused push.
    struct Axis {
        double at[pieceCount + 1];
        int stretch[pieceCount + 1];
        Windows all;
        Windows loose;
        bool isLoose[pieceCount + 1];
        Piles piles;
        bool refiling = false; // the piles were forgotten: every slot must be filed again
        // Frames left in which nothing is filed in the piles; meanwhile the loose windows are not
        // kept either (every slot is loose), and passes walk the windows of every slot instead.
        int restingFrames = 0;
        // The piles judged whole this frame: the large ones when the frame opened, so that
        // whether a slot is loose changes only when the slot itself is taken in anew.
        bool judgedWhole[Piles::pileLimit];
        const Piles::Pile* wholePiles[Piles::pileLimit];
        int wholeCount = 0;
        // The large piles not judged whole all frame, as of the last change to the large ones.
        const Piles::Pile* otherPiles[Piles::pileLimit];
        int otherCount = 0;
        unsigned othersListedAt = 0;

        Bounds bounds[pieceCount + 1];
        Rule boundsRule; // the rule `bounds` were worked out for

        void forgetPilesIfCrowded();
        void place(int slot, bool inPlay, double coordinate);
        bool standsLoose(int slot) const;
        void judgeWholeThisFrame();
        void listOtherPiles();
        LargePiles judgedWholePiles() const {
            return {wholePiles, static_cast<size_t>(wholeCount)};
        }
        PileLists pileLists() const {
            return {judgedWholePiles(), {otherPiles, static_cast<size_t>(otherCount)}};
        }
        void bound(int slot);
        double pass(int self, int first, int last, double own, const Rule& passRule,
                    PileLists pileLists) const;
        double fusedPass(int self, int first, int last, double own, const Rule& passRule,
                         PileLists pileLists) const;
        template <class Step>
        double walk(int self, int first, int last, double own, double distance,
                    bool equalPushesNothing, PileLists pileLists, Step step) const;
        template <class PassedOver, class Visit>
        int scan(const Windows& windows, int self, int from, int last, int low, int high,
                 PassedOver passedOver, Visit visit) const;
    };

    static int stretchOf(double coordinate);
    static Rule ruleFor(double distance, double divisor);
    void adopt(const Rule& rule);

    Axis xAxis{};
    Axis yAxis{};
    Rule rule; // the rule of the last pass, adopted at the next `open`
    bool isOpen = false;
    int updating = 0;
    int newest = 0;

    // The helper thread and what it shares with the frame loop (crowd_helper.cpp), made by
    // `prepareHelper` and kept for the rest of the run.
    struct Helper;
    Helper* helper = nullptr;
    bool helped = false; // the helper works out this frame's heads
    long helpedFrameCount = 0;
    long refusedPassCount = 0;

    bool (*sideWork)() = nullptr;
    bool (*idleWork)() = nullptr;

    bool handOver();
    void takeBack();
    void finishHead(int slot);
    void keepHeadsOff(int slot);
    std::optional<Vec2> helpedPass(int slot, Vec2 own, double distance, double divisor);
    void helperLoop();
    bool takeHead(bool byHelper);
    void workOutHead(int slot);
};
