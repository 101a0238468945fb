// Pictures whose header claims more pixels than any of the game's pictures could need.
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

using namespace testing_support;

namespace {

void putLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// The header of a 24-bit bitmap of `width` x `height` (negative: stored top-down), followed by
// a few bytes of pixels only.
void writeHeaderOnly(const std::filesystem::path& path, std::int32_t width, std::int32_t height) {
    std::ofstream out(path, std::ios::binary);
    out.write("BM", 2);
    putLittleEndian(out, 0xFFFFFFFF, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 54, 4);
    putLittleEndian(out, 40, 4);
    putLittleEndian(out, static_cast<std::uint32_t>(width), 4);
    putLittleEndian(out, static_cast<std::uint32_t>(height), 4);
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, 24, 2);
    for (int field = 0; field < 6; ++field) {
        putLittleEndian(out, 0, 4);
    }
    out << std::string(64, '\x40');
}

class PictureSizeLimitTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override { releaseSprites(); }
    TemporaryFolder folder;
};

// 20000 x 20000 fits in memory on most machines, so a loader that believed it would allocate
// and clear over a gigabyte before finding the pixels missing.
TEST_F(PictureSizeLimitTest, RefusesHeadersClaimingHugePicturesBeforeReadingThem) {
    const auto square = folder.path() / "square.bmp";
    writeHeaderOnly(square, 20000, 20000);
    EXPECT_EXIT(loadSprite(3, square.string(), sceneColourKey), ::testing::ExitedWithCode(1),
                "Unable to load .*square.bmp: .*too large");

    const auto topDown = folder.path() / "top_down.bmp";
    writeHeaderOnly(topDown, 20000, -20000);
    EXPECT_EXIT(loadSprite(3, topDown.string(), sceneColourKey), ::testing::ExitedWithCode(1),
                "Unable to load .*top_down.bmp: .*too large");

    const auto ribbon = folder.path() / "ribbon.bmp";
    writeHeaderOnly(ribbon, 100000000, 1);
    EXPECT_EXIT(loadSprite(3, ribbon.string(), sceneColourKey), ::testing::ExitedWithCode(1),
                "Unable to load .*ribbon.bmp: .*too large");
}

TEST_F(PictureSizeLimitTest, WideBackgroundsStillLoad) {
    const auto wide = folder.path() / "wide.bmp";
    writeBmp24(wide, 8000, 600, std::vector<Rgb>(8000 * 600, Rgb{10, 20, 30}));
    ASSERT_TRUE(loadSprite(0, wide.string(), sceneColourKey));
    EXPECT_EQ(spriteCatalogue[0]->w, 8000);
    EXPECT_EQ(spriteCatalogue[0]->h, 600);
}

} // namespace
