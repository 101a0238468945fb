// The enemy tests' stand-ins and pictures.
#include "pieces/enemy_fixture.h"

#include "platform/clock.h"
#include "shell/globals.h"
#include "sprites/sprite_catalogue.h"

#include <string>

using namespace testing_support;

namespace enemy_testing {
namespace {

// The catalogue entries of the three kinds' tables.
constexpr int firstEnemyPicture = 52;
constexpr int lastEnemyPicture = 80;
constexpr std::uint8_t marker = 255;

void writePicture(const std::filesystem::path& file, int index) {
    const int height = pictureHeight(index);
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
            pixels.push_back({static_cast<std::uint8_t>(index), 0,
                              static_cast<std::uint8_t>(x == 0 ? marker : 0)});
        }
    }
    writeBmp24(file, pictureWidth, height, pixels);
}

} // namespace

int pictureHeight(int index) {
    return index - 32;
}

int pictureIndexAt(int x, int y) {
    return screenColourAt(x, y).r;
}

void EnemyFixture::SetUp() {
    testing_support::setFrameClock(startTime);
    resetShellGlobals();
    SDL_FillRect(screen, nullptr, 0);
    for (int index = firstEnemyPicture; index <= lastEnemyPicture; ++index) {
        const auto file = folder.path() / ("enemy" + std::to_string(index) + ".bmp");
        writePicture(file, index);
        loadSprite(index, file.string(), spriteColourKey);
    }
    world = new FakeWorld;
    hero = new FakeHero;
    pieces[worldSlot] = world;
    pieces[heroSlot] = hero;
}

void EnemyFixture::TearDown() {
    for (GamePiece*& piece : pieces) {
        delete piece;
    }
    resetShellGlobals();
    releaseSprites();
}

} // namespace enemy_testing
