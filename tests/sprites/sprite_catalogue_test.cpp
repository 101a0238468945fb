// Loading bitmaps into the catalogue: indices, duplicates, colour keys, and the files refused.
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

// A bitmap header claiming `width` x `height` (negative: top-down), 32-bit fields after a 40-byte
// info header or 16-bit ones after the old 12-byte one; the file ends with the header.
std::string headerOnly(int width, int height, bool oldHeader) {
    std::string bytes = "BM";
    auto put = [&](long value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    put(0xFFFFFFFF, 4), put(0, 4), put(oldHeader ? 26 : 54, 4), put(oldHeader ? 12 : 40, 4);
    put(width, oldHeader ? 2 : 4), put(height, oldHeader ? 2 : 4), put(1, 2), put(24, 2);
    return bytes + std::string(oldHeader ? 0 : 24, '\0');
}

class SpriteCatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override { releaseSprites(); }
    TemporaryFolder folder;
};

TEST_F(SpriteCatalogueTest, IndicesOutsideTheCatalogueAreRefusedAndEachKeyGoesTransparent) {
    const auto path = folder.path() / "picture.bmp";
    writeBmp24(path, 3, 1, {sceneKey, {0, 30, 254}, {200, 0, 0}});
    for (int index : {-7, -1, 100}) {
        EXPECT_FALSE(loadSprite(index, path, sceneColourKey));
        EXPECT_EQ(spriteAt(index), nullptr);
    }
    EXPECT_EQ(std::count(spriteCatalogue, spriteCatalogue + catalogueSize, nullptr), 100);
    ASSERT_TRUE(loadSprite(99, path, sceneColourKey));
    EXPECT_EQ(spriteCatalogue[99]->format->BitsPerPixel, 32);
    // The key goes transparent; one bit off it stays opaque; no colour key is left behind.
    writeBmp24(path, 3, 1, {spriteKey, {0, 254, 255}, {200, 0, 0}});
    ASSERT_TRUE(loadSprite(60, path, spriteColourKey));
    for (SDL_Surface* entry : {spriteCatalogue[99], spriteCatalogue[60]}) {
        EXPECT_EQ(alphaAt(entry, 0, 0), 0);
        EXPECT_EQ(alphaAt(entry, 1, 0), 255);
        EXPECT_EQ(entry->flags & SDL_SRCCOLORKEY, 0u);
    }
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
        distinct.insert(spriteCatalogue[index]);
    }
    EXPECT_EQ(distinct.size(), 82u + 1); // and null
    EXPECT_STREQ(spritePath(42), spritePath(46));
    // Each half of the catalogue made its own key colour transparent.
    EXPECT_EQ(alphaAt(spriteCatalogue[47], 0, 0) + alphaAt(spriteCatalogue[47], 1, 0), 255);
    EXPECT_EQ(alphaAt(spriteCatalogue[48], 0, 0), 255);
    EXPECT_EQ(alphaAt(spriteCatalogue[48], 1, 0), 0);
}

// A file that cannot be read, or whose header claims more pixels than any of the game's pictures
// could need (believing 20000 x 20000 would allocate and clear over a gigabyte before finding the
// pixels missing), ends the run with its name. Claims at the limits are believed: SDL then finds
// the pixels missing itself.
TEST_F(SpriteCatalogueTest, FilesThatCannotBeLoadedEndTheRunWithTheirName) {
    const struct {
        const char* name;
        std::string bytes;
        const char* said;
    } cases[] = {
        {"text", "not a picture", "Unable to load .*text: "},
        {"square", headerOnly(20000, 20000, false), "square: picture too large"},
        {"top-down", headerOnly(20000, -20000, false), "top-down: picture too large"},
        {"wide", headerOnly(16385, 1, false), "wide: picture too large"},
        {"tall", headerOnly(1, 16385, false), "tall: picture too large"},
        {"many", headerOnly(4097, 4096, false), "many: picture too large"},
        {"old", headerOnly(1, 20000, true), "old: picture too large"},
        {"widest", headerOnly(16384, 1024, false), "widest: [^p]"},
        {"old widest", headerOnly(16384, 1, true), "old widest: [^p]"},
    };
    for (const auto& c : cases) {
        const auto path = folder.path() / c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        EXPECT_EXIT(loadSprite(3, path.string(), sceneColourKey), ::testing::ExitedWithCode(1),
                    c.said);
    }
    EXPECT_EXIT(loadSprite(3, (folder.path() / "nowhere.bmp").string(), sceneColourKey),
                ::testing::ExitedWithCode(1), "Unable to load .*nowhere.bmp: ");
    const auto wide = folder.path() / "wide.bmp";
    writeBmp24(wide, 8000, 600, std::vector<Rgb>(8000 * 600, Rgb{10, 20, 30}));
    ASSERT_TRUE(loadSprite(0, wide.string(), sceneColourKey));
    EXPECT_TRUE(spriteCatalogue[0]->w == 8000 && spriteCatalogue[0]->h == 600);
}

} // namespace
