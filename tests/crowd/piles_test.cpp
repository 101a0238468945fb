// Piles: which slots share one exact coordinate, through arrivals, departures, a full pool and
// the start of a new frame.
#include "crowd/piles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

std::set<int> membersOf(const Piles::Pile& pile) {
    std::set<int> members;
    for (int slot = 0; slot <= pieceCount; ++slot) {
        if ((pile.slots[slot / Piles::wordBits] >> (slot % Piles::wordBits)) & 1) {
            members.insert(slot);
        }
    }
    return members;
}

class PilesTest : public ::testing::Test {
  protected:
    void SetUp() override { piles->clear(); }

    // The large pile standing at `at`, or none.
    const Piles::Pile* largePileAt(double at) const {
        for (const int index : piles->largeOnes()) {
            if (piles->pile(index).at == at) {
                return &piles->pile(index);
            }
        }
        return nullptr;
    }

    void fileMany(int first, int count, double at) {
        for (int slot = first; slot < first + count; ++slot) {
            piles->file(slot, true, at);
        }
    }

    std::unique_ptr<Piles> piles = std::make_unique<Piles>();
};

TEST_F(PilesTest, SlotsArrivingAtOneCoordinateMakeALargePileThatShrinksAsTheyLeave) {
    fileMany(2, Piles::largePile - 1, 485.0);
    EXPECT_TRUE(piles->largeOnes().empty()); // one short of large
    piles->file(100, true, 485.0);
    const Piles::Pile* pile = largePileAt(485.0);
    ASSERT_NE(pile, nullptr);
    EXPECT_EQ(pile->size, Piles::largePile);
    std::set<int> expected = {100};
    for (int slot = 2; slot < 2 + Piles::largePile - 1; ++slot) {
        expected.insert(slot);
    }
    EXPECT_EQ(membersOf(*pile), expected);

    piles->file(3, true, 486.0);  // moves away
    piles->file(4, false, 485.0); // out of play where it stood
    EXPECT_EQ(largePileAt(485.0), nullptr);
    piles->file(3, true, 485.0); // and back, with one more
    piles->file(200, true, 485.0);
    ASSERT_NE(largePileAt(485.0), nullptr);
    EXPECT_FALSE(membersOf(*largePileAt(485.0)).contains(4));
}

TEST_F(PilesTest, ZeroOddNumbersAndFarPlacesNeverPileButEveryOtherValueDoes) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    fileMany(2, 10, 0.0);
    fileMany(20, 10, -0.0);
    fileMany(40, 10, inf);
    fileMany(60, 10, nan);
    fileMany(80, 10, -1e300);
    fileMany(100, 10, 5e-324);
    ASSERT_EQ(piles->largeOnes().size(), 2u);
    EXPECT_NE(largePileAt(-1e300), nullptr);
    EXPECT_NE(largePileAt(5e-324), nullptr);
}

TEST_F(PilesTest, AfterManyCoordinatesItIsTimeToForgetEveryPile) {
    std::unique_ptr<Piles> fresh = std::make_unique<Piles>();
    EXPECT_TRUE(fresh->crowded()); // never cleared
    EXPECT_FALSE(piles->crowded());
    int seen = 0;
    while (!piles->crowded()) {
        piles->file(2 + seen % 5000, true, 1000.0 + seen);
        ++seen;
    }
    EXPECT_GT(seen, 5000);
    fileMany(20, 20, 150.0);
    piles->clear();
    EXPECT_FALSE(piles->crowded());
    EXPECT_TRUE(piles->largeOnes().empty());
    fileMany(30, Piles::largePile, 150.0);
    ASSERT_NE(largePileAt(150.0), nullptr);
    EXPECT_EQ(membersOf(*largePileAt(150.0)).size(), static_cast<size_t>(Piles::largePile));
}

// Whatever happens, a pile holds only slots standing at its coordinate, even when the pool of
// piles runs dry and pairs that found none break up and form again.
TEST_F(PilesTest, APileNeverHoldsASlotStandingElsewhere) {
    std::mt19937 random(99);
    std::vector<double> standsAt(pieceCount + 1, std::nan(""));
    // Far more coordinates than there are piles, so the pool runs dry again and again.
    std::uniform_int_distribution<int> anySlot(2, 3000);
    std::uniform_int_distribution<int> anyValue(1, 2 * Piles::pileLimit);
    for (int step = 0; step < 60000; ++step) {
        const int slot = anySlot(random);
        const bool inPlay = random() % 10 != 0;
        const double at = anyValue(random) * 1.5;
        piles->file(slot, inPlay, at);
        standsAt[slot] = inPlay ? at : std::nan("");
        if (step % 5000 == 0) {
            for (const int index : piles->largeOnes()) {
                const Piles::Pile& pile = piles->pile(index);
                const std::set<int> members = membersOf(pile);
                ASSERT_EQ(static_cast<int>(members.size()), pile.size);
                for (const int member : members) {
                    ASSERT_EQ(standsAt[member], pile.at) << "slot " << member;
                }
            }
        }
    }
}

} // namespace
