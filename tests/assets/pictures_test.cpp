// The generated pictures, loaded with the game's own sprite loader.
#include "assets/run_folder.h"
#include "sprites/mirror_surface.h"
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using testing_support::WorkingFolder;

constexpr int emptyEntry = 16;
constexpr int firstSprite = 3;
constexpr int lastSprite = 82;
constexpr int lastSceneEntry = 47;

// Catalogue entries by what they show.
constexpr int heroFirst = 3, heroLast = 47;
constexpr int attackerFirst = 52, attackerLast = 61;
constexpr int crawlerFirst = 62, crawlerLast = 74;
constexpr int shooterFirst = 75, shooterLast = 80;
constexpr int barEntry = 2, healthEntry = 81, ammoEntry = 82;

// Frames drawn standing, walking or striking: their feet must rest on the bottom edge.
const std::vector<int> groundedFrames = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                         17, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
                                         35, 36, 37, 52, 53, 54, 55, 56, 57, 58, 62, 63, 64,
                                         65, 66, 67, 68, 69, 70, 71, 75, 76, 77, 78, 79};

struct Rgb {
    int r, g, b;
};

Rgb colourAt(SDL_Surface* surface, int x, int y) {
    Uint8 r, g, b;
    SDL_GetRGB(getPixel(surface, x, y), surface->format, &r, &g, &b);
    return {r, g, b};
}

class GeneratedPictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WorkingFolder inRunFolder(asset_tests::runFolder());
        loadSprites();
    }
    static void TearDownTestSuite() { releaseSprites(); }

    static std::string describe(int index) {
        const char* path = spritePath(index);
        return std::to_string(index) + " (" + (path != nullptr ? path : "none") + ")";
    }

    static void expectOneSize(int first, int last) {
        SDL_Surface* model = spriteAt(first);
        ASSERT_NE(model, nullptr);
        for (int i = first; i <= last; ++i) {
            if (i == emptyEntry) {
                continue;
            }
            ASSERT_NE(spriteAt(i), nullptr) << describe(i);
            EXPECT_EQ(spriteAt(i)->w, model->w) << describe(i);
            EXPECT_EQ(spriteAt(i)->h, model->h) << describe(i);
        }
    }
};

TEST_F(GeneratedPictures, EverySpriteIsPartlySeeThroughWithHardEdges) {
    for (int i = firstSprite; i <= lastSprite; ++i) {
        if (i == emptyEntry) {
            continue;
        }
        SDL_Surface* sprite = spriteAt(i);
        ASSERT_NE(sprite, nullptr) << describe(i);
        int clear = 0, solid = 0, partial = 0;
        for (int y = 0; y < sprite->h; ++y) {
            for (int x = 0; x < sprite->w; ++x) {
                const Uint8 alpha = testing_support::alphaAt(sprite, x, y);
                clear += alpha == 0 ? 1 : 0;
                solid += alpha == 255 ? 1 : 0;
                partial += (alpha != 0 && alpha != 255) ? 1 : 0;
            }
        }
        EXPECT_GT(clear, 0) << describe(i);
        EXPECT_GT(solid, 0) << describe(i);
        EXPECT_EQ(partial, 0) << describe(i);
    }
}

TEST_F(GeneratedPictures, NoEdgeBlendsIntoTheKeyColour) {
    // A soft edge drawn against the key would leave a bluish or cyan rim once keyed out.
    for (int i = firstSprite; i <= lastSprite; ++i) {
        if (i == emptyEntry) {
            continue;
        }
        SDL_Surface* sprite = spriteAt(i);
        const Rgb key = i <= lastSceneEntry ? Rgb{0, 30, 255} : Rgb{0, 255, 255};
        int rim = 0;
        for (int y = 0; y < sprite->h; ++y) {
            for (int x = 0; x < sprite->w; ++x) {
                if (testing_support::alphaAt(sprite, x, y) == 0) {
                    continue;
                }
                const bool onEdge =
                    (x > 0 && testing_support::alphaAt(sprite, x - 1, y) == 0) ||
                    (x + 1 < sprite->w && testing_support::alphaAt(sprite, x + 1, y) == 0) ||
                    (y > 0 && testing_support::alphaAt(sprite, x, y - 1) == 0) ||
                    (y + 1 < sprite->h && testing_support::alphaAt(sprite, x, y + 1) == 0);
                const Rgb c = colourAt(sprite, x, y);
                const double distance =
                    std::sqrt((c.r - key.r) * (c.r - key.r) + (c.g - key.g) * (c.g - key.g) +
                              (c.b - key.b) * (c.b - key.b));
                rim += (onEdge && distance < 120) ? 1 : 0;
            }
        }
        EXPECT_EQ(rim, 0) << describe(i);
    }
}

TEST_F(GeneratedPictures, HeroAndEachEnemyKindKeepOneFrameSize) {
    expectOneSize(heroFirst, heroLast);
    expectOneSize(attackerFirst, attackerLast);
    expectOneSize(crawlerFirst, crawlerLast);
    expectOneSize(shooterFirst, shooterLast);
    // The kinds differ in build: the crawler is low, the shooter the bulkiest.
    EXPECT_LT(spriteAt(crawlerFirst)->h, spriteAt(attackerFirst)->h / 2 + 10);
    EXPECT_GT(spriteAt(shooterFirst)->w, spriteAt(attackerFirst)->w);
}

TEST_F(GeneratedPictures, StandingFiguresRestOnTheBottomEdgeAroundTheCentre) {
    // Feet at the bottom centre: switching frames or mirroring never shifts the figure.
    for (int i : groundedFrames) {
        SDL_Surface* frame = spriteAt(i);
        const int bottom = frame->h - 1;
        double sum = 0;
        int count = 0;
        for (int x = 0; x < frame->w; ++x) {
            if (testing_support::alphaAt(frame, x, bottom) == 255) {
                sum += x;
                ++count;
            }
        }
        ASSERT_GT(count, 0) << describe(i) << " floats above the bottom edge";
        EXPECT_NEAR(sum / count, frame->w / 2.0, frame->w * 0.3) << describe(i);
    }
}

TEST_F(GeneratedPictures, BackgroundsCoverTheSpawnPointsAndAreSolid) {
    SDL_Surface* city = spriteAt(0);
    SDL_Surface* underground = spriteAt(1);
    ASSERT_NE(city, nullptr);
    ASSERT_NE(underground, nullptr);
    EXPECT_GE(city->w, 2600);
    EXPECT_EQ(city->h, 600);
    EXPECT_EQ(underground->w, 1600);
    EXPECT_EQ(underground->h, 600);
    for (SDL_Surface* scene : {city, underground}) {
        int holes = 0;
        for (int y = 0; y < scene->h; ++y) {
            for (int x = 0; x < scene->w; ++x) {
                holes += testing_support::alphaAt(scene, x, y) != 255 ? 1 : 0;
            }
        }
        EXPECT_EQ(holes, 0);
    }
}

TEST_F(GeneratedPictures, MetersFitTheirSlotsInTheBar) {
    // Where the game draws them: the bar at (10, 514), the meters at (220, 538) and (220, 560).
    SDL_Surface* bar = spriteAt(barEntry);
    SDL_Surface* health = spriteAt(healthEntry);
    SDL_Surface* ammo = spriteAt(ammoEntry);
    EXPECT_EQ(bar->w, 780);
    EXPECT_EQ(bar->h, 80);
    EXPECT_EQ(health->w, 300);
    EXPECT_EQ(health->h, 16);
    EXPECT_EQ(ammo->w, health->w);
    EXPECT_EQ(ammo->h, health->h);
    for (int meterY : {538 - 514, 560 - 514}) {
        const int meterX = 220 - 10;
        // The slot is a dark trough framed by a border, exactly the meter's size.
        const Rgb inside = colourAt(bar, meterX + 1, meterY + 1);
        const Rgb frame = colourAt(bar, meterX - 1, meterY - 1);
        const Rgb panel = colourAt(bar, meterX - 1, meterY - 3);
        EXPECT_LT(inside.r + inside.g + inside.b, 120);
        EXPECT_LT(frame.r + frame.g + frame.b, panel.r + panel.g + panel.b);
        EXPECT_LE(meterX + health->w, bar->w);
        EXPECT_LE(meterY + health->h, bar->h);
    }
    // Health reads red, ammo gold.
    const Rgb red = colourAt(health, health->w / 2, health->h / 2);
    const Rgb gold = colourAt(ammo, ammo->w / 2, ammo->h / 2);
    EXPECT_GT(red.r, 2 * red.g);
    EXPECT_GT(gold.g, gold.r / 2);
    EXPECT_GT(gold.g, 2 * gold.b);
}

} // namespace
