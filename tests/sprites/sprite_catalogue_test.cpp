// Bitmaps into the catalogue: indices, colour keys, sizes refused; mirrored copies of pictures.
#include "sprites/mirror_surface.h"
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

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

Uint32 place(int x, int y) { // a value naming its place
    return 0xFF000000u | (y << 8) | x;
}

TEST(MirrorSurfaceTest, EachFlagValueMovesEveryPixelWhereItSays) {
    Uint32 buffer[8] = {}; // the view below: 3 x 2 pixels in rows 16 bytes apart, not 12
    SDL_Surface* source = SDL_CreateRGBSurfaceFrom(buffer, 3, 2, 32, 16, 0x00FF0000, 0x0000FF00,
                                                   0x000000FF, 0xFF000000);
    for (int i = 0; i < 6; ++i) {
        putPixel(source, i % 3, i / 3, place(i % 3, i / 3));
    }
    ASSERT_EQ(buffer[6], place(2, 1));
    for (Uint32 flags : {0u, FLIP_VERTICAL, FLIP_HORIZONTAL, FLIP_VERTICAL | FLIP_HORIZONTAL}) {
        SDL_Surface* copy = mirrorSurface(source, flags);
        ASSERT_TRUE(copy->w == 3 && copy->h == 2) << flags;
        // The alpha channel comes along: a left-facing hero keeps its see-through pixels.
        EXPECT_EQ(copy->format->Amask, 0xFF000000u);
        for (int i = 0; i < 6; ++i) {
            const int x = i % 3, y = i / 3;
            const int fromX = flags & FLIP_HORIZONTAL ? 2 - x : x;
            const int fromY = flags & FLIP_VERTICAL ? 1 - y : y;
            EXPECT_EQ(getPixel(copy, x, y), flags == 0 ? 0u : place(fromX, fromY))
                << "flags " << flags << " at " << x << "," << y;
        }
        SDL_FreeSurface(copy);
    }
    SDL_FreeSurface(source);
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

// A header claiming more pixels than the game's pictures could need (20000 x 20000 would clear over
// a gigabyte before finding the pixels missing) is refused naming the file, and the game does not
// start; claims at the limits are believed, SDL then finding the pixels missing. Missing or
// unreadable files: tests/errors.
TEST_F(SpriteCatalogueTest, HeadersClaimingTooManyPixelsEndTheRunAndThoseAtTheLimitsAreBelieved) {
    const struct {
        const char* name;
        std::string bytes;
        const char* said;
    } cases[] = {
        {"many", headerOnly(4097, 4096, false), "many: picture too large"},
        {"widest", headerOnly(16384, 1024, false), "widest: [^p]"},
        {"tallest", headerOnly(1024, -16384, false), "tallest: [^p]"},
        {"old widest", headerOnly(16384, 1, true), "old widest: [^p]"},
        {"old tallest", headerOnly(1, 16384, true), "old tallest: [^p]"},
    };
    for (const auto& c : cases) {
        const auto path = folder.path() / c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadSprite(3, path.string(), sceneColourKey));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_search(said, std::regex(c.said))) << said;
        EXPECT_EQ(spriteAt(3), nullptr);
    }
}

// The same checks on a picture in memory refuse it with the reason and the process goes on: a claim
// too large, a header cut short (SDL would make up the rest), pixels missing.
TEST_F(SpriteCatalogueTest, APictureRefusedFromMemoryGivesTheReasonAndTheProcessGoesOn) {
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {{headerOnly(4097, 4096, false), "too large"},
                 {headerOnly(8, 8, true).substr(0, 25), "ends inside its header"},
                 {headerOnly(8, 8, false), ""}};
    for (const auto& c : cases) {
        SDL_ClearError();
        SDL_RWops* file = SDL_RWFromConstMem(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(decodeSprite(file, sceneColourKey), nullptr);
        const std::string reason = SDL_GetError();
        EXPECT_NE(reason, "");
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}

} // namespace
