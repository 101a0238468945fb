// The pieces' fixtures: the generated pictures, the pieces in their slots, the sounds recorded.
#include "pieces/hero_world_fixture.h"

#include "sprites/sprite_catalogue.h"

namespace hero_world {
namespace {

constexpr int backgroundHeight = 4;
constexpr int barSize = 8;
constexpr int meterHeight = 10;
constexpr int heroWidth = 10;
constexpr int heroHeight = 20;
constexpr testing_support::Rgb heroColour{250, 200, 0};
constexpr int firstHeroPicture = 3;
constexpr int lastHeroPicture = 47;
// The game ships no picture 16; the hero's unused idle asks for it all the same.
constexpr int missingPicture = 16;

} // namespace

void PieceTableFixture::SetUp() {
    testing_support::setFrameClock(startTick);
    resetShellGlobals();
    SDL_FillRect(screen, nullptr, 0);
}

void PieceTableFixture::TearDown() {
    for (GamePiece* piece : pieces) {
        delete piece;
    }
    resetShellGlobals();
    restoreHeroSounds();
    releaseSprites();
}

void PieceTableFixture::loadPicture(int index, int width, int height, testing_support::Rgb colour,
                                    Uint32 colourKey, std::optional<testing_support::Rgb> edge) {
    const std::filesystem::path file = pictures.path() / (std::to_string(index) + ".bmp");
    std::vector<testing_support::Rgb> pixels(static_cast<size_t>(width) * height, colour);
    for (size_t at = 0; edge && at < pixels.size(); at += width) {
        pixels[at] = *edge;
    }
    testing_support::writeBmp24(file, width, height, pixels);
    ASSERT_TRUE(loadSprite(index, file.string(), colourKey));
}

void HeroWorldFixture::SetUp() {
    PieceTableFixture::SetUp();
    loadPicture(0, cityWidth, backgroundHeight, {90, 90, 90}, sceneColourKey);
    loadPicture(1, undergroundWidth, backgroundHeight, {60, 40, 20}, sceneColourKey);
    loadPicture(2, barSize, barSize, barColour, sceneColourKey);
    for (int index = firstHeroPicture; index <= lastHeroPicture; ++index) {
        if (index != missingPicture) {
            loadPicture(index, heroWidth, heroHeight, heroColour, sceneColourKey);
        }
    }
    loadPicture(81, healthWidth, meterHeight, healthColour, spriteColourKey, healthEdge);
    loadPicture(82, ammoWidth, meterHeight, ammoColour, spriteColourKey);

    heroSounds().playEffect = [this](const char* category, const char* name, int) {
        effects.push_back(std::string(category) + "/" + name);
    };
    heroSounds().startGameOver = [this] { ++gameOverStarts; };
    CoutCapture quiet;
    pieces[heroSlot] = hero = new player(Vec2(400.0, 400.0));
    pieces[worldSlot] = world = new World(Vec2(0.0, 0.0));
}

StrikeTarget* HeroWorldFixture::addEnemy(Vec2 worldPosition) {
    auto* enemy = new StrikeTarget(worldPosition);
    --spawnCounter;
    pieces[newestReleasedSlot()] = enemy;
    return enemy;
}

void HeroWorldFixture::setEvent(Uint8 type, SDLKey key) {
    frameEvent = SDL_Event{};
    frameEvent.type = type;
    frameEvent.key.type = type;
    frameEvent.key.keysym.sym = key;
}

void HeroWorldFixture::inputAfter(Uint32 frameTime) {
    lastFrameEndTick = platform::ticks() - frameTime;
    hero->handleInput();
}

} // namespace hero_world

namespace enemy_testing {
namespace {

// The catalogue entries of the three kinds' tables.
constexpr int firstEnemyPicture = 52;
constexpr int lastEnemyPicture = 80;
constexpr std::uint8_t marker = 255;

} // namespace

int pictureHeight(int index) {
    return index - 32;
}

int pictureIndexAt(int x, int y) {
    return testing_support::screenColourAt(x, y).r;
}

void EnemyFixture::SetUp() {
    PieceTableFixture::SetUp();
    for (int index = firstEnemyPicture; index <= lastEnemyPicture; ++index) {
        const auto red = static_cast<std::uint8_t>(index);
        loadPicture(index, pictureWidth, pictureHeight(index), {red, 0, 0}, spriteColourKey,
                    testing_support::Rgb{red, 0, marker});
    }
    pieces[worldSlot] = world = new FakeWorld;
    pieces[heroSlot] = hero = new FakeHero;
}

} // namespace enemy_testing
