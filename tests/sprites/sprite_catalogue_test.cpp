// Loading bitmaps into the catalogue: indices, duplicates, colour keys, unreadable files.
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace testing_support;

namespace {

// Raw 24-bit key values as stored in the files.
constexpr Rgb sceneKey{0, 30, 255};
constexpr Rgb spriteKey{0, 255, 255};

class SpriteCatalogueTest : public ::testing::Test {
  protected:
    void TearDown() override { releaseSprites(); }

    // A 3x1 picture: key, key with one bit changed, plain red.
    std::filesystem::path threePixelPicture(Rgb key, Rgb nearKey) {
        const auto path = folder.path() / "picture.bmp";
        writeBmp24(path, 3, 1, {key, nearKey, {200, 0, 0}});
        return path;
    }

    TemporaryFolder folder;
};

TEST_F(SpriteCatalogueTest, RefusesIndicesOutsideTheCatalogueAndLoadsTheLastEntry) {
    const auto path = threePixelPicture(sceneKey, {1, 30, 255});
    EXPECT_FALSE(loadSprite(-1, path, sceneColourKey));
    EXPECT_FALSE(loadSprite(100, path, sceneColourKey));
    EXPECT_FALSE(loadSprite(-7, path, sceneColourKey));
    for (SDL_Surface* entry : spriteCatalogue) {
        EXPECT_EQ(entry, nullptr);
    }
    EXPECT_TRUE(loadSprite(99, path, sceneColourKey));
    ASSERT_NE(spriteCatalogue[99], nullptr);
    EXPECT_EQ(spriteCatalogue[99]->format->BitsPerPixel, 32);
    EXPECT_EQ(spriteAt(100), nullptr);
    EXPECT_EQ(spriteAt(-1), nullptr);
}

TEST_F(SpriteCatalogueTest, BothKeysGiveTransparencyAndOneBitOffStaysOpaque) {
    EXPECT_TRUE(loadSprite(5, threePixelPicture(sceneKey, {0, 30, 254}), sceneColourKey));
    EXPECT_EQ(alphaAt(spriteCatalogue[5], 0, 0), 0);
    EXPECT_EQ(alphaAt(spriteCatalogue[5], 1, 0), 255);
    EXPECT_EQ(alphaAt(spriteCatalogue[5], 2, 0), 255);

    EXPECT_TRUE(loadSprite(60, threePixelPicture(spriteKey, {0, 254, 255}), spriteColourKey));
    EXPECT_EQ(alphaAt(spriteCatalogue[60], 0, 0), 0);
    EXPECT_EQ(alphaAt(spriteCatalogue[60], 1, 0), 255);
    EXPECT_EQ(spriteCatalogue[60]->flags & SDL_SRCCOLORKEY, 0u);
}

TEST_F(SpriteCatalogueTest, LoadsTheWholeListWithDuplicatesAsSurfacesOfTheirOwn) {
    for (int index = 0; index < catalogueSize; ++index) {
        if (const char* path = spritePath(index)) {
            std::filesystem::create_directories(folder.path() / "images");
            writeBmp24(folder.path() / path, 2, 2, {sceneKey, spriteKey, {9, 9, 9}, {9, 9, 9}});
        }
    }
    WorkingFolder inside(folder.path());
    loadSprites();

    std::set<SDL_Surface*> distinct;
    for (int index = 0; index < catalogueSize; ++index) {
        const bool listed = index <= 82 && index != 16;
        EXPECT_EQ(spriteCatalogue[index] != nullptr, listed) << "entry " << index;
        if (listed) {
            distinct.insert(spriteCatalogue[index]);
        }
    }
    EXPECT_EQ(distinct.size(), 82u);
    EXPECT_STREQ(spritePath(42), spritePath(46));
    EXPECT_STREQ(spritePath(62), spritePath(65));
    // Each half of the catalogue made its own key colour transparent.
    EXPECT_EQ(alphaAt(spriteCatalogue[47], 0, 0), 0);
    EXPECT_EQ(alphaAt(spriteCatalogue[47], 1, 0), 255);
    EXPECT_EQ(alphaAt(spriteCatalogue[48], 0, 0), 255);
    EXPECT_EQ(alphaAt(spriteCatalogue[48], 1, 0), 0);
}

using SpriteCatalogueDeathTest = SpriteCatalogueTest;

TEST_F(SpriteCatalogueDeathTest, AMissingOrBrokenFileStopsWithItsName) {
    const auto missing = (folder.path() / "nowhere.bmp").string();
    EXPECT_EXIT(loadSprite(3, missing, sceneColourKey), ::testing::ExitedWithCode(1),
                "Unable to load .*nowhere.bmp: ");
    const auto text = folder.path() / "text.bmp";
    std::ofstream(text) << "not a picture";
    EXPECT_EXIT(loadSprite(3, text.string(), sceneColourKey), ::testing::ExitedWithCode(1),
                "Unable to load .*text.bmp: ");
}

} // namespace
