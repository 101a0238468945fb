// The crowding machinery against the plain pass, bit for bit and pixel for pixel; the Piles.
#include "crowd/crowd.h"
#include "crowd/crowding.h"
#include "pieces/hero_world_fixture.h"
#include "platform/cores.h"
#include "render/blit_queue.h"
#include "shell/game.h"
#include "sprites/sprite_catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr double pushDistance = 30.0;
constexpr double streetTop = 150.0;
constexpr double streetBottom = 485.0;
constexpr int deadEvery = 15;      // one enemy in so many is out of play
constexpr size_t smallCrowd = 100; // worked out by the frame loop alone: handing over costs more
#ifdef __SANITIZE_THREAD__
constexpr int largestCrowd = 400; // every access checked: larger crowds would take minutes
#else
constexpr int largestCrowd = pieceCount;
#endif

class Dot : public GamePiece {}; // a position and the dead flag, nothing more

// The helper, steered through its side work: held back all frame, free to race the frame loop,
// or done with every head before the frame loop starts (which then uses only its results).
enum class Share { heldBack, free, first };
constexpr Share everyShare[] = {Share::heldBack, Share::free, Share::first};
std::atomic<Share> share{Share::free};
std::atomic<size_t> helperRounds{0};
std::thread::id frameThread;

bool steerHelper() {
    const bool onHelper = std::this_thread::get_id() != frameThread;
    // The helper looks for side work once before each head it takes and once when none is left.
    helperRounds += onHelper && share == Share::first ? 1 : 0;
    const bool heldBack = onHelper && share == Share::heldBack;
    if (heldBack) {
        std::this_thread::yield(); // its core to the frame loop meanwhile
    }
    return heldBack;
}

// Odd numbers, places at the fused push's edge of reach, then along the street to `count` in all:
// one in `edgeEvery` at its edge, a tenth on whole pixels (exact ties, more than there are piles).
std::vector<Vec2> crowdOf(std::mt19937_64& random, int count, double spread, int edgeEvery) {
    std::normal_distribution<double> aroundHero(400.0, spread);
    std::uniform_real_distribution<double> street(streetTop, streetBottom);
    std::vector<Vec2> places = {
        {100.0, 300.0},       {130.0, 330.0},    {100.0 + std::nextafter(30.0, 0.0), 300},
        {-0.0, -0.0},         {0.0, 20.0},       {1e6, 1e6},
        {1e6 + 10, 1e6 - 10}, {HUGE_VAL, 300.0}, {NAN, 310.0},
        {120.0, -HUGE_VAL},   {100.0, 300.0},    {5e-324, 1e-310}};
    for (const double at : {1000.0 + 0x1p-43, -1000.0 - 0x1p-43, 1e6 + 0.25}) {
        for (const double edge : {at + pushDistance, at - pushDistance}) {
            for (const double x :
                 {at, edge, std::nextafter(edge, 0.0), std::nextafter(edge, 2 * edge)}) {
                places.emplace_back(x, x);
            }
        }
    }
    for (int i = 0; places.size() < static_cast<size_t>(count); ++i) {
        const double x = aroundHero(random);
        const double y = i % edgeEvery == 0 ? streetBottom : street(random);
        places.push_back(i % 10 == 0 ? Vec2(std::round(x), std::round(y)) : Vec2(x, y));
    }
    return places;
}

// Piles side by side on both axes, more within one reach than a pass judges whole; a fifth loose.
std::vector<Vec2> piledCrowd(std::mt19937_64& random, int count) {
    constexpr int pilesPerAxis = 13;
    constexpr double pileGap = 3.0;
    std::uniform_real_distribution<double> loose(-20.0, 60.0);
    std::vector<Vec2> places;
    for (int i = 0; i < count; ++i) {
        const bool piled = i % 5 != 0;
        places.emplace_back(piled ? 400.0 + pileGap * (i % pilesPerAxis) : 400.0 + loose(random),
                            piled ? 300.0 + pileGap * (i / pilesPerAxis % pilesPerAxis)
                                  : 300.0 + loose(random));
    }
    return places;
}

std::vector<Vec2> enemyPlaces() {
    std::vector<Vec2> at;
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        at.push_back(pieces[slot]->position);
    }
    return at;
}

bool sameBits(const std::vector<Vec2>& a, const std::vector<Vec2>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Vec2)) == 0;
}

class CrowdTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frameThread = std::this_thread::get_id();
        frameCrowd().shareHelperWith(steerHelper);
    }
    void TearDown() override {
        frameCrowd().shareHelperWith([] { return frameBlits().blitQueued(); }, // as the game
                                     [] { return frameBlits().drawAhead(); });
        for (GamePiece*& piece : pieces) {
            delete std::exchange(piece, nullptr);
        }
    }

    static void fill(const std::vector<Vec2>& places) { // dots, from the first enemy slot on
        for (size_t i = 0; i < places.size(); ++i) {
            GamePiece*& piece = pieces[firstEnemySlot + i];
            delete std::exchange(piece, new Dot);
            piece->position = places[i];
            piece->dead = i % deadEvery == 0;
        }
        spawnCounter = pieceCount - (firstEnemySlot + static_cast<int>(places.size()) - 1);
    }

    // One frame's passes, newest first, each result in place before the next; every 7th enemy
    // first steps aside (asks from elsewhere than where the frame found it): returns how many.
    static long passes(bool quick, double distance, double divisor) {
        long steppedAside = 0;
        for (int slot = newestReleasedSlot(); slot >= firstEnemySlot; --slot) {
            GamePiece& piece = *pieces[slot];
            if (!piece.dead) {
                frameCrowd().enter(slot);
                const bool stepsAside = slot % 7 == 0 && std::fabs(piece.position.x) < 0x1p52;
                steppedAside += stepsAside ? 1 : 0;
                piece.position.x += stepsAside ? 1.0 : 0.0;
                piece.position = (quick ? crowding::pushApart : crowding::plainPass)(
                    &piece, piece.position, distance, divisor);
                frameCrowd().refresh(slot);
            }
        }
        return steppedAside;
    }

    // The frame by the plain pass, then by the Crowd from the same start with the helper sharing
    // it each way; under the last frame's rule a helped frame refuses only those stepping aside.
    void expectSameFrame(double distance, double divisor, bool sameRule) {
        const std::vector<Vec2> start = enemyPlaces();
        passes(false, distance, divisor);
        const std::vector<Vec2> plain = enemyPlaces();
        for (const Share how : everyShare) {
            fill(start);
            share = how;
            helperRounds = 0;
            const long helpedBefore = frameCrowd().helpedFrames();
            frameCrowd().open();
            helpedByShare[static_cast<size_t>(how)] += frameCrowd().isHelped() ? 1 : 0;
            // The helped frames counted are the frames handed over, never a small crowd's.
            EXPECT_EQ(frameCrowd().helpedFrames() - helpedBefore, frameCrowd().isHelped() ? 1 : 0);
            EXPECT_FALSE(start.size() < smallCrowd && frameCrowd().isHelped()) << start.size();
            while (how == Share::first && frameCrowd().isHelped() && helperRounds <= start.size()) {
                std::this_thread::yield();
            }
            const long refusedBefore = frameCrowd().refusedPasses();
            const long steppedAside = passes(true, distance, divisor);
            if (frameCrowd().isHelped() && sameRule) {
                EXPECT_EQ(frameCrowd().refusedPasses() - refusedBefore, steppedAside);
            }
            frameCrowd().close();
            ASSERT_TRUE(sameBits(enemyPlaces(), plain)) << start.size() << ", share " << int(how);
        }
    }

    // The large crowds went to the helper under every share, on a machine that has one.
    void expectHelperTookFrames() {
        if (platform::usableCores() < 2) {
            GTEST_SKIP()
                << "one core: no helper thread, only the frame loop's own pass was compared";
        }
        for (const Share how : everyShare) {
            EXPECT_GT(helpedByShare[static_cast<size_t>(how)], 0) << "share " << int(how);
        }
    }

    std::array<long, std::size(everyShare)> helpedByShare{}; // frames handed over, by share
};

// A few loose enemies to every slot of the roster, standing or walking, under every rule.
TEST_F(CrowdTest, EveryCrowdPushesExactlyAsThePlainPassHoweverTheHelperShares) {
    struct Case {
        int count, edgeEvery, frames;
        double spread, distance, divisor;
        bool walking;
    };
    // The walking crowd runs for its street piles to fill (none large), rest, and start afresh.
    std::vector<Case> cases = {{76, 4, 2, 300.0, 30.0, 8.0, false},
                               {636, 10, 2, 40.0, 30.0, 8.0, false},
                               {1536, 2, 40, 120.0, 30.0, 8.0, true},
                               {pieceCount - firstEnemySlot + 1, 4, 1, 3000.0, 30.0, 8.0, true}};
    const double otherRules[][2] = {{30, 4},   {30, 3}, {30, 0}, {30, NAN}, {30, -8},
                                    {30, 0.5}, {0, 8},  {-5, 8}, {1e300, 8}};
    for (const auto& rule : otherRules) {
        cases.push_back({336, 3, 2, 40.0, rule[0], rule[1], false});
    }
    std::erase_if(cases, [](const Case& c) { return c.count > largestCrowd; });
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> step(-40.0, 40.0);
    for (const Case& c : cases) {
        fill(crowdOf(random, c.count, c.spread, c.edgeEvery));
        for (int frame = 0; frame < c.frames; ++frame) {
            expectSameFrame(c.distance, c.divisor, frame > 0);
            for (int slot = firstEnemySlot; slot <= newestReleasedSlot() && c.walking; ++slot) {
                Vec2& at = pieces[slot]->position; // a third stand still
                at = Vec2(at.x + (slot % 3 == 0 ? 0.0 : step(random)),
                          std::clamp(at.y + step(random), streetTop, streetBottom));
            }
        }
    }
    // Enemies pushed alike pile up anew in a frame; piles judged whole all frame change members.
    fill(piledCrowd(random, std::min(2000, largestCrowd)));
    for (int frame = 0; frame < 3; ++frame) {
        expectSameFrame(pushDistance, 8.0, frame > 0);
    }
    expectHelperTookFrames();
}

// Real enemies through runFrame: GHOULRUN_PLAIN_CROWD=1 draws the screen of helped frames: hundreds
// of overlapping pictures, where any blit out of order shows (their places: golden.crowd's).
using CrowdFrameTest = enemy_testing::EnemyFixture;

TEST_F(CrowdFrameTest, ThePlainSwitchDrawsEveryEnemyExactlyAsTheHelpedFrames) {
    const auto screenAfterFrames = [this](const char* plainSwitch, int picturesShared,
                                          std::optional<double> helperShare = std::nullopt) {
        setenv("GHOULRUN_PLAIN_CROWD", plainSwitch, 1);
        crowding::prepare();
        frameBlits().shareDrawing(spriteCatalogue, picturesShared);
        frameBlits().holdHelperShare(helperShare);
        testing_support::setFrameClock(hero_world::startTick);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> nearHero(250.0, 550.0);
        std::uniform_real_distribution<double> street(streetTop, streetBottom);
        for (int slot = firstEnemySlot; slot < firstEnemySlot + 300; ++slot) {
            delete pieces[slot];
            pieces[slot] = makeEnemy(slot);
            pieces[slot]->setPosition(Vec2(nearHero(random), street(random)));
            pieces[slot]->activate();
            spawnCounter = pieceCount - slot;
        }
        hero->position = Vec2(400.0, 400.0);
        lastFrameEndTick = platform::ticks();
        for (int frame = 0; frame < 40; ++frame) {
            wait(16);
            lastSpawnTick = platform::ticks(); // no release: the same enemies every frame
            runFrame();
        }
        const auto* pixels = static_cast<const Uint32*>(screen->pixels);
        return std::vector<Uint32>(pixels, pixels + screen->h * screen->pitch / 4);
    };
    const long helpedBefore = frameCrowd().helpedFrames();
    const std::vector<Uint32> plain = screenAfterFrames("1", catalogueSize);
    EXPECT_EQ(frameCrowd().helpedFrames(), helpedBefore);
    // The screen cut in two bands at a few places and at the threads' pace, the helper drawing
    // the lower; then with copies of only some pictures, so that the helper leaves the rest of its
    // band to the frame loop; then not cut at all, both threads taking turns on the whole screen.
    const bool twoCores = platform::usableCores() >= 2;
    for (const double share : {0.2, 0.5, 0.8}) {
        EXPECT_TRUE(plain == screenAfterFrames("0", catalogueSize, share)) << share;
        EXPECT_EQ(frameBlits().helperShare(), twoCores ? share : 0.0);
    }
    // The enemies stand deep enough that some of their blits are left out, covered all over.
    const long hiddenBefore = frameBlits().hiddenBlits();
    EXPECT_TRUE(plain == screenAfterFrames("0", catalogueSize));
    EXPECT_TRUE(!twoCores || frameBlits().hiddenBlits() > hiddenBefore);
    EXPECT_TRUE(plain == screenAfterFrames("0", catalogueSize / 2, 0.5));
    EXPECT_TRUE(plain == screenAfterFrames("0", 0));
    EXPECT_EQ(frameBlits().helperShare(), 0.0);
    EXPECT_TRUE(!twoCores || frameCrowd().helpedFrames() > helpedBefore);
    EXPECT_FALSE(frameBlits().blitQueued()); // all made: a call makes none, and says so
    unsetenv("GHOULRUN_PLAIN_CROWD");
    crowding::prepare();
    frameBlits().holdHelperShare(std::nullopt);
}

// One pile short of the limit: a group moving on finds one free while its old pile still holds
// members yet to move. The last group is one member short of large: piled, but never listed.
constexpr int groupCount = Piles::pileLimit - 1;
constexpr int memberCount = groupCount * Piles::largePile - 1;
constexpr int movesPerClearing = 85; // most of the way to where the table takes no new places
constexpr double outOfPlay = 12.5;

// Members over the whole slot range, both ends too; member m is in group m % groupCount.
int memberSlot(int member) {
    return firstEnemySlot + member * (pieceCount - firstEnemySlot) / (memberCount - 1);
}

TEST(PilesTest, EveryGroupIsOnePileWhereverItGoesAndClearingFreesThemAll) {
    static Piles piles;
    // Three slots between the members share places that never pile (or leave play) meanwhile.
    const double neverPiled[] = {0.0, -0.0, HUGE_VAL, -HUGE_VAL, NAN, outOfPlay};
    for (int move = 0; move < 3 * movesPerClearing; ++move) {
        if (move % movesPerClearing == 0) {
            piles.clear();
        }
        const double unpiled = neverPiled[move % std::size(neverPiled)];
        for (const int slot : {3, 4, 5}) {
            piles.file(slot, unpiled != outOfPlay, unpiled);
        }
        // Group g moves to base + g; one after the other, from a different one each move.
        const double base = 1000.5 * (move + 1);
        for (int next = 0; next < groupCount; ++next) {
            const int group = (next + move) % groupCount;
            for (int member = group; member < memberCount; member += groupCount) {
                piles.file(memberSlot(member), true, base + group);
            }
        }
        ASSERT_EQ(piles.largeOnes().size(), groupCount - 1) << move;
        for (const int index : piles.largeOnes()) {
            const Piles::Pile& pile = piles.pile(index);
            const double group = pile.at - base;
            ASSERT_TRUE(group >= 0 && group < groupCount && group == std::floor(group)) << pile.at;
            std::uint64_t members[Piles::wordCount] = {};
            for (int member = static_cast<int>(group); member < memberCount; member += groupCount) {
                const int slot = memberSlot(member);
                members[slot / Piles::wordBits] |= std::uint64_t{1} << slot % Piles::wordBits;
            }
            ASSERT_EQ(pile.size, Piles::largePile);
            ASSERT_TRUE(std::equal(members, std::end(members), pile.slots)) << pile.at;
        }
    }
}

} // namespace
