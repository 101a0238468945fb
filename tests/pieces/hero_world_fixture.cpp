// The pieces' fixtures: the generated pictures, the pieces in their slots, the sounds recorded.
#include "pieces/hero_world_fixture.h"

#include "pieces/enemy_kinds.h"
#include "sprites/sprite_catalogue.h"

namespace hero_world {

constexpr int backgroundHeight = 4;
constexpr int barSize = 8;
constexpr int meterHeight = 10;
constexpr int heroWidth = 10;
constexpr int heroHeight = 20;
constexpr testing_support::Rgb cityColour{90, 90, 90};
constexpr testing_support::Rgb undergroundColour{60, 40, 20};
constexpr testing_support::Rgb heroColour{250, 200, 0};
constexpr std::uint8_t enemyMarker = 255;

void PieceTableFixture::SetUp() {
    testing_support::setFrameClock(startTick);
    resetShellGlobals(platform::ticks());
    SDL_FillRect(screen, nullptr, 0);
    for (SDL_Event pending; SDL_PollEvent(&pending);) {
    }
}

void PieceTableFixture::TearDown() {
    for (GamePiece* piece : pieces) {
        delete piece;
    }
    resetShellGlobals(platform::ticks());
    restoreHeroSounds();
    releaseSprites();
}

void PieceTableFixture::loadPicture(int index, int width, int height, testing_support::Rgb colour,
                                    testing_support::Rgb edge, Uint32 colourKey) {
    const std::filesystem::path file = pictures.path() / (std::to_string(index) + ".bmp");
    std::vector<testing_support::Rgb> pixels(static_cast<size_t>(width) * height, colour);
    for (size_t at = 0; at < pixels.size(); at += width) {
        pixels[at] = edge;
    }
    testing_support::writeBmp24(file, width, height, pixels);
    ASSERT_TRUE(loadSprite(index, file.string(), colourKey));
}

void HeroWorldFixture::SetUp() {
    PieceTableFixture::SetUp();
    loadPicture(sprite::city, cityWidth, backgroundHeight, cityColour, cityColour, sceneColourKey);
    loadPicture(sprite::underground, undergroundWidth, backgroundHeight, undergroundColour,
                undergroundColour, sceneColourKey);
    loadPicture(sprite::statusBar, barSize, barSize, barColour, barColour, sceneColourKey);
    for (int index = sprite::heroRunStart; index <= sprite::heroJumpShot3Again; ++index) {
        if (index != sprite::unfilled) {
            loadPicture(index, heroWidth, heroHeight, heroColour, heroColour, sceneColourKey);
        }
    }
    loadPicture(sprite::healthMeter, healthWidth, meterHeight, healthColour, healthEdge,
                spriteColourKey);
    loadPicture(sprite::ammoMeter, ammoWidth, meterHeight, ammoColour, ammoColour, spriteColourKey);

    heroSounds().playEffect = [this](const char* category, const char* name, int) {
        effects.push_back(std::string(category) + "/" + name);
    };
    heroSounds().startGameOver = [this] { ++gameOverStarts; };
    testing_support::CoutCapture quiet;
    pieces[heroSlot] = hero = new player(Vec2(400.0, 400.0));
    pieces[worldSlot] = world = new World(Vec2(0.0, 0.0));
}

} // namespace hero_world

namespace enemy_testing {

void EnemyFixture::SetUp() {
    PieceTableFixture::SetUp();
    for (const EnemyKind& kind : enemy_kind::all) {
        for (int index = kind.firstPicture; index <= kind.lastPicture; ++index) {
            const auto red = static_cast<std::uint8_t>(index);
            loadPicture(index, pictureWidth, pictureHeight(index), {red, 0, 0},
                        {red, 0, hero_world::enemyMarker}, spriteColourKey);
        }
    }
    pieces[worldSlot] = world = new FakeWorld;
    pieces[heroSlot] = hero = new FakeHero;
}

} // namespace enemy_testing
