// The generated data in the run folder: made the same every time, and fit for how the game uses it.
#include "pieces/enemy_kinds.h"
#include "sprites/mirror_surface.h" // getPixel
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using testing_support::alphaAt;
using testing_support::contentsOf;

const std::filesystem::path runFolder = GHOULRUN_RUN_FOLDER;
constexpr int outputRate = 22050;     // the mixer's rate in the game, 16-bit stereo
constexpr double gameOverPause = 3.7; // seconds between the jingle's start and the exit

// Beside the listed pictures: the pause banner, the music, the effects and their bounds in seconds.
constexpr const char* pauseBanner = "images/paused.bmp";
constexpr const char* music = "pompeii.ogg";
const struct {
    const char* file;
    double shortest, longest;
} effects[] = {{"sfx/sword/slash.wav", 0.1, 0.4},
               {"sfx/death/wilhelm.wav", 0.8, 1.3},
               {"sfx/death/gameover.wav", 1.0, gameOverPause - 0.5}};

struct Group { // catalogue entries first to last, both included
    int first, last;
    bool holds(int index) const { return index >= first && index <= last; }
};
constexpr Group scenery{sprite::city, sprite::statusBar};           // no figure: nothing to key out
constexpr Group lettering{sprite::glyphStrip, sprite::resultsCard}; // the glyphs and the card
constexpr Group hero{sprite::heroRunStart, sprite::heroJumpShot3Again};
constexpr Group fireballs{sprite::fireball0, sprite::fireball3};
constexpr Group meters{sprite::healthMeter, sprite::ammoMeter};

TEST(GeneratedData, ASecondRunWritesIdenticalFiles) {
    testing_support::TemporaryFolder fresh;
    for (const char* part : {"pictures", "sounds", "music"}) {
        const std::string command = std::string("\"") + GHOULRUN_ASSET_GENERATOR + "\" " + part +
                                    " \"" + fresh.path().string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fresh.path())) {
        if (entry.is_regular_file()) {
            const auto relative = std::filesystem::relative(entry.path(), fresh.path());
            EXPECT_TRUE(contentsOf(entry.path()) == contentsOf(runFolder / relative)) << relative;
            written.insert(relative.generic_string());
        }
    }
    std::set<std::string> expected = {pauseBanner, music};
    for (const ListedSprite& listed : listedSprites) {
        expected.insert(listed.path);
    }
    for (const auto& effect : effects) {
        expected.insert(effect.file);
    }
    EXPECT_EQ(written, expected);
}

// Figures are keyed out with hard edges and no rim of the key colour; standing ones rest their feet
// on the bottom edge near the centre, so that switching frames or mirroring never shifts them.
TEST(GeneratedData, SpritesHaveHardEdgesAndTheStandingOnesRestOnTheBottomCentre) {
    testing_support::WorkingFolder inRunFolder(runFolder);
    loadSprites();
    // In the air, falling or lying down, or no figure at all: fireballs and meters.
    std::vector<Group> offTheGround = {{sprite::heroJumpUp0, sprite::heroJumpDown1},
                                       {sprite::heroLadder0, sprite::heroJumpShot3Again},
                                       fireballs,
                                       meters,
                                       lettering};
    for (const EnemyKind& kind : enemy_kind::all) {
        offTheGround.push_back({kind.firstDeathPicture, kind.lastPicture});
    }
    for (const ListedSprite& listed : listedSprites) {
        const int i = listed.index;
        SDL_Surface* sprite = spriteAt(i);
        ASSERT_NE(sprite, nullptr) << listed.path;
        if (scenery.holds(i)) {
            continue;
        }
        // Both keys are blue 255 and red 0; the green tells them apart.
        const int keyGreen = static_cast<int>((listed.colourKey >> 8) & 0xFF);
        const auto clearAt = [sprite](int x, int y) {
            return x >= 0 && y >= 0 && x < sprite->w && y < sprite->h && !alphaAt(sprite, x, y);
        };
        int clear = 0, partial = 0, rim = 0, feet = 0;
        double feetX = 0;
        for (int y = 0; y < sprite->h; ++y) {
            for (int x = 0; x < sprite->w; ++x) {
                const Uint8 alpha = alphaAt(sprite, x, y);
                clear += alpha == 0;
                partial += alpha != 0 && alpha != 255;
                Uint8 r, g, b;
                SDL_GetRGB(getPixel(sprite, x, y), sprite->format, &r, &g, &b);
                const bool edge = alpha != 0 && (clearAt(x - 1, y) || clearAt(x, y - 1) ||
                                                 clearAt(x + 1, y) || clearAt(x, y + 1));
                rim += edge && std::hypot(r, g - keyGreen, b - 255) < 120;
                const bool foot = y == sprite->h - 1 && alpha == 255;
                feet += foot;
                feetX += foot ? x : 0;
            }
        }
        EXPECT_TRUE(clear > 0 && partial == 0 && rim == 0) << spritePath(i);
        if (std::none_of(offTheGround.begin(), offTheGround.end(),
                         [i](Group g) { return g.holds(i); })) {
            ASSERT_GT(feet, 0) << spritePath(i) << " floats above the bottom edge";
            EXPECT_NEAR(feetX / feet, sprite->w / 2.0, sprite->w * 0.3) << spritePath(i);
        }
    }
    // One frame size each for the hero, fireballs and enemy kinds (as listed); every figure in one.
    std::vector<Group> oneSize = {hero, fireballs};
    for (const EnemyKind& kind : enemy_kind::all) {
        oneSize.push_back({kind.firstPicture, kind.lastPicture});
        EXPECT_EQ(spriteAt(kind.firstPicture)->w, kind.frameWidth) << kind.name;
        EXPECT_EQ(spriteAt(kind.firstPicture)->h, kind.frameHeight) << kind.name;
    }
    for (const ListedSprite& listed : listedSprites) {
        const auto group = std::find_if(oneSize.begin(), oneSize.end(),
                                        [&listed](Group g) { return g.holds(listed.index); });
        if (group == oneSize.end()) {
            EXPECT_TRUE(scenery.holds(listed.index) || meters.holds(listed.index) ||
                        lettering.holds(listed.index))
                << listed.path << " is in no group of one frame size";
            continue;
        }
        EXPECT_EQ(spriteAt(listed.index)->w, spriteAt(group->first)->w) << listed.path;
        EXPECT_EQ(spriteAt(listed.index)->h, spriteAt(group->first)->h) << listed.path;
    }
    // The backgrounds cover the spawn points; the meters fit their slots in the bar.
    EXPECT_GE(spriteAt(sprite::city)->w, 2600);
    EXPECT_EQ(spriteAt(sprite::underground)->w, 1600);
    EXPECT_LE(220 - 10 + spriteAt(sprite::healthMeter)->w, spriteAt(sprite::statusBar)->w);
    EXPECT_LE(560 - 514 + spriteAt(sprite::ammoMeter)->h, spriteAt(sprite::statusBar)->h);
    releaseSprites();
}

// The effects at the mixer's rate, well above the music (over a minute); the jingle ends in time.
TEST(GeneratedData, SoundsLastAsLongAsTheGameNeedsAndStandAboveTheMusic) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(outputRate, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    auto measure = [](const char* name, double& seconds) {
        Mix_Chunk* chunk = Mix_LoadWAV((runFolder / name).c_str());
        EXPECT_NE(chunk, nullptr) << name;
        const auto* samples = reinterpret_cast<const Sint16*>(chunk->abuf);
        const std::size_t frames = chunk->alen / 4;
        double sum = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            sum += std::pow(samples[2 * i] / 32768.0, 2);
        }
        Mix_FreeChunk(chunk);
        seconds = static_cast<double>(frames) / outputRate;
        return std::sqrt(sum / static_cast<double>(frames));
    };
    double musicSeconds = 0;
    const double musicLevel = measure(music, musicSeconds);
    EXPECT_GE(musicSeconds, 60.0);
    for (const auto& effect : effects) {
        const std::string header = contentsOf(runFolder / effect.file).substr(24, 4);
        EXPECT_EQ(header, std::string("\x22\x56\0\0", 4)) << effect.file << " is resampled";
        double seconds = 0;
        EXPECT_GT(20 * std::log10(measure(effect.file, seconds) / musicLevel), 6.0) << effect.file;
        EXPECT_TRUE(seconds > effect.shortest && seconds < effect.longest) << effect.file;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace
