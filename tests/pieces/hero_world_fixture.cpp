// The scene fixture: generated pictures in the catalogue, the World and the hero in their slots.
#include "pieces/hero_world_fixture.h"

#include "platform/clock.h"
#include "shell/globals.h"
#include "sprites/sprite_catalogue.h"

#include <optional>

namespace hero_world {
namespace {

using testing_support::Rgb;

constexpr int backgroundHeight = 4;
constexpr int barSize = 8;
constexpr int meterHeight = 10;
constexpr int heroWidth = 10;
constexpr int heroHeight = 20;
// The game ships no picture 16; the hero's unused idle asks for it all the same.
constexpr int missingPicture = 16;

// Writes a solid picture, its left column `edge` when given, and loads it into entry `index`.
void loadPicture(const std::filesystem::path& folder, int index, int width, int height, Rgb colour,
                 Uint32 colourKey, std::optional<Rgb> edge = std::nullopt) {
    const std::filesystem::path file = folder / (std::to_string(index) + ".bmp");
    std::vector<Rgb> pixels(static_cast<size_t>(width) * height, colour);
    for (size_t at = 0; edge && at < pixels.size(); at += width) {
        pixels[at] = *edge;
    }
    testing_support::writeBmp24(file, width, height, pixels);
    ASSERT_TRUE(loadSprite(index, file.string(), colourKey));
}

} // namespace

std::vector<int> pictureIndices(const GamePiece& piece, int animation) {
    std::vector<int> indices;
    for (SDL_Surface* picture : piece.animations.at(animation).frames) {
        int index = catalogueSize - 1;
        while (index >= 0 && (picture == nullptr || spriteAt(index) != picture)) {
            --index;
        }
        indices.push_back(index);
    }
    return indices;
}

bool isConsecutiveRun(const std::vector<int>& pictures) {
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i] < 0 || pictures[i] != pictures[0] + static_cast<int>(i)) {
            return false;
        }
    }
    return !pictures.empty();
}

void HeroWorldFixture::SetUp() {
    testing_support::setFrameClock(startTick);
    resetShellGlobals();
    SDL_FillRect(screen, nullptr, 0);
    const std::filesystem::path& folder = pictures.path();
    loadPicture(folder, 0, cityWidth, backgroundHeight, {90, 90, 90}, sceneColourKey);
    loadPicture(folder, 1, undergroundWidth, backgroundHeight, {60, 40, 20}, sceneColourKey);
    loadPicture(folder, 2, barSize, barSize, {200, 200, 200}, sceneColourKey);
    for (int index = 3; index <= 47; ++index) {
        if (index != missingPicture) {
            loadPicture(folder, index, heroWidth, heroHeight, {250, 200, 0}, sceneColourKey);
        }
    }
    loadPicture(folder, 81, healthWidth, meterHeight, healthColour, spriteColourKey, healthEdge);
    loadPicture(folder, 82, ammoWidth, meterHeight, ammoColour, spriteColourKey);

    heroSounds().playEffect = [this](const char* category, const char* name, int) {
        effects.push_back(std::string(category) + "/" + name);
    };
    heroSounds().startGameOver = [this] { ++gameOverStarts; };

    CoutCapture capture;
    hero = new player(Vec2(400.0, 400.0));
    world = new World(Vec2(0.0, 0.0));
    loadOutput = capture.text();
    pieces[heroSlot] = hero;
    pieces[worldSlot] = world;
}

void HeroWorldFixture::TearDown() {
    for (GamePiece* piece : pieces) {
        delete piece;
    }
    resetShellGlobals();
    restoreHeroSounds();
    releaseSprites();
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
