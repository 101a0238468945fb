// The Crowd's crowding pass against the plain pass over every slot, bit for bit, on random crowds,
// and whole frames of real enemies with and without it.
#include "pieces/attacker.h"
#include "pieces/crawler.h"
#include "crowd/crowd.h"
#include "pieces/enemy_fixture.h"
#include "pieces/shooter.h"
#include "platform/cores.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr double crowdingDistance = 30.0;
constexpr double pushDivisor = 8.0;

// A piece with nothing but a position and the dead flag.
class Dot : public GamePiece {};

// The crowding pass as the rule states it: every slot in play in increasing order, each push at
// once.
Vec2 plainPass(int self, Vec2 own, double distance, double divisor) {
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        const GamePiece* other = pieces[slot];
        if (other == pieces[self] || other == nullptr || other->dead) {
            continue;
        }
        const double dx = own.x - other->position.x;
        if (std::fabs(dx) < distance) {
            own.x += dx / divisor;
        }
        const double dy = own.y - other->position.y;
        if (std::fabs(dy) < distance) {
            own.y += dy / divisor;
        }
    }
    return own;
}

// `count` places with x spread over [xFrom, xTo); one in every `edgeEvery` held at the street's
// bottom edge, the others anywhere on the street.
std::vector<Vec2> crowdAlongTheStreet(std::mt19937_64& random, int count, double xFrom, double xTo,
                                      int edgeEvery) {
    std::uniform_real_distribution<double> band(xFrom, xTo);
    std::uniform_real_distribution<double> street(150.0, 485.0);
    std::vector<Vec2> places;
    for (int i = 0; i < count; ++i) {
        places.emplace_back(band(random), i % edgeEvery == 0 ? 485.0 : street(random));
    }
    return places;
}

std::uint64_t bitsOf(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

class CrowdTest : public ::testing::Test {
  protected:
    void SetUp() override { resetShellGlobals(); }
    void TearDown() override {
        frameCrowd().close();
        for (GamePiece*& piece : pieces) {
            delete piece;
        }
        resetShellGlobals();
    }

    // Fills slots 2 to `last` with dots at the given places and puts them in play.
    void fill(const std::vector<Vec2>& places) {
        int slot = firstEnemySlot;
        for (const Vec2& place : places) {
            delete pieces[slot];
            pieces[slot] = new Dot;
            pieces[slot]->position = place;
            ++slot;
        }
        spawnCounter = pieceCount - (slot - 1);
    }

    // Every enemy's pass in frame order (newest first), each one's result stored before the next
    // pass, by the Crowd and by the plain pass; the two must agree bit for bit.
    void expectSameFrame(double distance = crowdingDistance, double divisor = pushDivisor) {
        const int newest = newestReleasedSlot();
        std::vector<Vec2> plain(newest + 1);
        std::vector<Vec2> start(newest + 1);
        for (int slot = firstEnemySlot; slot <= newest; ++slot) {
            if (pieces[slot] != nullptr) {
                start[slot] = pieces[slot]->position;
            }
        }
        for (int slot = newest; slot >= firstEnemySlot; --slot) {
            if (pieces[slot] != nullptr && !pieces[slot]->dead) {
                pieces[slot]->position = plainPass(slot, pieces[slot]->position, distance, divisor);
            }
        }
        for (int slot = firstEnemySlot; slot <= newest; ++slot) {
            if (pieces[slot] != nullptr) {
                plain[slot] = pieces[slot]->position;
                pieces[slot]->position = start[slot];
            }
        }
        Crowd& crowd = frameCrowd();
        crowd.open();
        for (int slot = newest; slot >= firstEnemySlot; --slot) {
            GamePiece* piece = pieces[slot];
            if (piece == nullptr || piece->dead) {
                continue;
            }
            crowd.enter(slot);
            ASSERT_EQ(crowd.slotOf(piece), slot);
            // As the monster does: the plain pass when the Crowd has no pass for this rule.
            const std::optional<Vec2> pushed =
                crowd.separate(slot, piece->position, distance, divisor);
            piece->position =
                pushed ? *pushed : plainPass(slot, piece->position, distance, divisor);
            crowd.refresh(slot);
        }
        crowd.close();
        for (int slot = firstEnemySlot; slot <= newest; ++slot) {
            if (pieces[slot] == nullptr) {
                continue;
            }
            const Vec2 at = pieces[slot]->position;
            ASSERT_EQ(bitsOf(at.x), bitsOf(plain[slot].x)) << "slot " << slot << " x " << at.x;
            ASSERT_EQ(bitsOf(at.y), bitsOf(plain[slot].y)) << "slot " << slot << " y " << at.y;
        }
    }
};

TEST_F(CrowdTest, RandomCrowdsPushExactlyAsThePlainPass) {
    std::mt19937_64 random(20240611);
    for (int round = 0; round < 12; ++round) {
        // From a loose crowd to one so tight that an enemy drifts far within one pass.
        const int count = 50 + static_cast<int>(random() % 900);
        const double spreadX = round % 3 == 0 ? 40.0 : round % 3 == 1 ? 300.0 : 3000.0;
        std::normal_distribution<double> aroundHeroX(400.0, spreadX);
        std::uniform_real_distribution<double> street(150.0, 485.0);
        std::vector<Vec2> places;
        for (int i = 0; i < count; ++i) {
            Vec2 place(aroundHeroX(random), street(random));
            switch (random() % 10) {
            case 0:
                place.y = random() % 2 ? 150.0 : 485.0; // held at the street's edge
                break;
            case 1:
                place.x = std::round(place.x); // exact ties with others
                break;
            default:
                break;
            }
            places.push_back(place);
        }
        fill(places);
        for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
            if (random() % 15 == 0) {
                pieces[slot]->kill();
            }
        }
        expectSameFrame();
    }
}

TEST_F(CrowdTest, EdgesOfReachFarPlacesAndOddNumbersAgreeToo) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double below30 = std::nextafter(30.0, 0.0);
    fill({{100.0, 300.0},
          {130.0, 330.0},         // exactly 30 away: no push
          {100.0 + below30, 300}, // just inside
          {70.0, 270.0},
          {-0.0, -0.0},
          {0.0, 20.0},
          {1e6, 1e6}, // far beyond the outermost stretches, and close to each other
          {1e6 + 10, 1e6 - 10},
          {-1e7, -1e7},
          {-1e7 + 5, -1e7 + 5},
          {inf, 300.0},
          {nan, 310.0},
          {120.0, -inf},
          {100.0, 300.0}, // the same place as the first
          {5e-324, 1e-310}});
    delete pieces[8];
    pieces[8] = nullptr; // an empty slot is passed over
    expectSameFrame();
}

// Enemies held at the street's edges stand at one coordinate by the hundreds, and those pushed off
// alike land together again; whole piles are judged at once.
TEST_F(CrowdTest, PilesAtTheStreetEdgesAndEnemiesMovingInStepAgree) {
    std::mt19937_64 random(485);
    std::uniform_real_distribution<double> band(300.0, 420.0);
    std::uniform_real_distribution<double> nearEdge(440.0, 530.0);
    std::vector<Vec2> places;
    for (int i = 0; i < 1200; ++i) {
        const double x = i % 7 == 0 ? std::round(band(random)) : band(random);
        switch (i % 10) {
        case 0:
        case 1:
            places.emplace_back(x, nearEdge(random));
            break;
        case 2:
        case 3:
        case 4:
            places.emplace_back(x, 150.0);
            break;
        default:
            places.emplace_back(x, 485.0);
            break;
        }
    }
    fill(places);
    for (int frame = 0; frame < 3; ++frame) {
        expectSameFrame();
        // As the movement step does: back inside the street.
        for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
            Vec2& at = pieces[slot]->position;
            at.y = std::clamp(at.y, 150.0, 485.0);
        }
    }
}

// The Crowd remembers piles from frame to frame and starts afresh once it has seen many
// coordinates; frame after frame of a moving crowd it keeps agreeing.
TEST_F(CrowdTest, ManyFramesOfAMovingCrowdWithPilesAgree) {
    std::mt19937_64 random(1500);
    std::uniform_real_distribution<double> step(-40.0, 40.0);
    fill(crowdAlongTheStreet(random, 1500, 200.0, 600.0, 2));
    for (int frame = 0; frame < 24; ++frame) {
        expectSameFrame();
        for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
            Vec2& at = pieces[slot]->position;
            at.x += slot % 3 == 0 ? 0.0 : step(random); // a third stand still
            at.y = std::clamp(at.y + step(random), 150.0, 485.0);
        }
    }
}

TEST_F(CrowdTest, EqualPlacesAgreeWhateverTheRule) {
    std::vector<Vec2> places;
    for (int i = 0; i < 200; ++i) {
        places.emplace_back(i % 2 == 0 ? 300.0 : 310.0, i % 3 == 0 ? -0.0 : 0.0);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double divisor : {0.0, nan, 3.0, -8.0, 0.5}) {
        fill(places);
        expectSameFrame(crowdingDistance, divisor);
    }
    for (const double distance : {0.0, -5.0, 1e-300, 1e300}) {
        fill(places);
        expectSameFrame(distance, pushDivisor);
    }
}

// Far from 0 a push is one fused multiply-add, and whether a slot pushes is read from bounds just
// outside the exact interval it pushes; where at + 30 or at - 30 is no double, the bounds must
// still give what the plain pass gives, right at the edge.
TEST_F(CrowdTest, FusedPushesAgreeRightAtTheEdgeOfReach) {
    const double tinyStep = std::ldexp(1.0, -43); // one unit in the last place below 1024
    std::vector<double> places;
    for (const double at : {1000.0 + tinyStep, -(1000.0 + tinyStep), 1e6 + 0.25, 4096.0}) {
        for (const double side : {1.0, -1.0}) {
            const double edge = at + side * crowdingDistance;
            places.push_back(at);
            places.push_back(edge);
            places.push_back(std::nextafter(edge, 0.0));
            places.push_back(std::nextafter(edge, edge * 2));
        }
    }
    for (size_t first = 0; first < places.size(); first += 4) {
        for (int frame = 0; frame < 2; ++frame) { // the Crowd takes the rule in at its next frame
            std::vector<Vec2> dots;
            for (size_t i = first; i < first + 4; ++i) {
                dots.emplace_back(places[i], places[i]);
            }
            fill(dots);
            expectSameFrame();
        }
    }
    if (!frameCrowd().fusesPushes()) {
        GTEST_SKIP() << "this machine does not fuse multiply-adds";
    }
}

// A crowd large enough for the helper thread, whose passes start from where the frame found each
// enemy under the rule of the frame before: a new rule, or an enemy asking from elsewhere, gets
// no pass (the caller takes the plain one), and the frame still agrees.
TEST_F(CrowdTest, HelpedFramesAgreeAndRefuseAnotherRuleOrPlace) {
    std::mt19937_64 random(256);
    const std::vector<Vec2> places = crowdAlongTheStreet(random, 700, 200.0, 700.0, 3);
    const long helpedBefore = frameCrowd().helpedFrames();
    for (const double divisor : {8.0, 8.0, 4.0, 8.0, 3.0, 3.0}) {
        fill(places);
        expectSameFrame(crowdingDistance, divisor);
    }
    if (platform::usableCores() < 2) {
        GTEST_SKIP() << "no second core for the helper";
    }
    EXPECT_GT(frameCrowd().helpedFrames(), helpedBefore);

    fill(places);
    expectSameFrame(); // the rule of the frame before: helped
    Crowd& crowd = frameCrowd();
    crowd.open();
    const int newest = newestReleasedSlot();
    crowd.enter(newest);
    EXPECT_FALSE(crowd.separate(newest, Vec2(1.0, 2.0), crowdingDistance, pushDivisor));
    EXPECT_FALSE(crowd.separate(newest, pieces[newest]->position, crowdingDistance, 2.0));
    EXPECT_TRUE(crowd.separate(newest, pieces[newest]->position, crowdingDistance, pushDivisor));
    crowd.close();
}

TEST_F(CrowdTest, OnlyThePieceBeingUpdatedInAnOpenCrowdTakesTheQuickPass) {
    fill({{100.0, 300.0}, {110.0, 310.0}, {120.0, 320.0}});
    Crowd& crowd = frameCrowd();
    EXPECT_EQ(crowd.slotOf(pieces[3]), 0); // closed
    crowd.open();
    EXPECT_EQ(crowd.slotOf(pieces[3]), 0); // nobody entered
    crowd.enter(3);
    EXPECT_EQ(crowd.slotOf(pieces[3]), 3);
    EXPECT_EQ(crowd.slotOf(pieces[2]), 0); // not the one being updated
    --spawnCounter;                        // a release since the crowd opened
    EXPECT_EQ(crowd.slotOf(pieces[3]), 0);
    crowd.close();
}

// Real enemies around a stand-in hero: frames through runFrame (with the Crowd, its helper and
// the queue of blits) and the same frames with every update called directly (each enemy's
// separate then takes the plain pass, and each draw blits at once) leave every enemy at the
// same place, bit for bit, and the same picture on the screen.
class CrowdFrameTest : public enemy_testing::EnemyFixture {
  protected:
    struct Outcome {
        std::vector<Vec2> places;
        std::vector<Uint32> screenPixels;
    };

    Outcome runCrowd(bool throughFrameLoop) {
        testing_support::setFrameClock(enemy_testing::startTime);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> nearHero(250.0, 550.0);
        std::uniform_real_distribution<double> street(150.0, 485.0);
        constexpr int enemies = 300;
        for (int slot = firstEnemySlot; slot < firstEnemySlot + enemies; ++slot) {
            delete pieces[slot];
            GamePiece* enemy = makeEnemy(slot);
            pieces[slot] = enemy;
            enemy->setPosition(Vec2(nearHero(random), street(random)));
            enemy->activate();
        }
        spawnCounter = pieceCount - (firstEnemySlot + enemies - 1);
        hero->position = Vec2(400.0, 400.0);
        lastFrameEndTick = platform::ticks();
        lastSpawnTick = platform::ticks();
        for (int frame = 0; frame < 40; ++frame) {
            wait(16);
            lastSpawnTick = platform::ticks(); // no release: the same enemies every frame
            if (throughFrameLoop) {
                runFrame();
            } else {
                SDL_FillRect(screen, nullptr, 255);
                for (int slot = newestReleasedSlot(); slot >= heroSlot; --slot) {
                    pieces[slot]->update();
                }
                lastFrameEndTick = platform::ticks();
            }
        }
        Outcome outcome;
        for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
            outcome.places.push_back(pieces[slot]->position);
        }
        const auto* pixels = static_cast<const Uint32*>(screen->pixels);
        outcome.screenPixels.assign(pixels, pixels + screen->h * screen->pitch / 4);
        return outcome;
    }
};

TEST_F(CrowdFrameTest, FramesWithTheCrowdMoveAndDrawEveryEnemyExactlyAsWithout) {
    const Outcome plain = runCrowd(false);
    const long helpedBefore = frameCrowd().helpedFrames();
    const Outcome quick = runCrowd(true);
    if (platform::usableCores() >= 2) {
        EXPECT_GT(frameCrowd().helpedFrames(), helpedBefore); // the helper thread took part
    }
    ASSERT_EQ(plain.places.size(), quick.places.size());
    for (size_t i = 0; i < plain.places.size(); ++i) {
        ASSERT_EQ(bitsOf(quick.places[i].x), bitsOf(plain.places[i].x)) << "enemy " << i;
        ASSERT_EQ(bitsOf(quick.places[i].y), bitsOf(plain.places[i].y)) << "enemy " << i;
    }
    // Hundreds of overlapping pictures of different sizes: any blit out of order shows.
    ASSERT_EQ(plain.screenPixels.size(), quick.screenPixels.size());
    EXPECT_TRUE(plain.screenPixels == quick.screenPixels);
}

} // namespace
