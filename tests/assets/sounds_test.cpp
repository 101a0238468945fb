// The generated sounds and music, decoded by the mixer at the game's own output format.
#include "assets/run_folder.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The mixer's output in the game: 22 050 frames a second of signed 16-bit stereo.
constexpr int outputRate = 22050;
constexpr int bytesPerFrame = 4;
constexpr double gameOverPause = 3.7; // seconds between the jingle's start and the exit

struct Level {
    double seconds;
    double rms; // of the left channel, full scale = 1
};

class GeneratedSounds : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(outputRate, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    }
    static void TearDownTestSuite() {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    static std::string pathOf(const std::string& relative) {
        return (asset_tests::runFolder() / relative).string();
    }

    // Decodes a whole file into a chunk in the mixer's format and measures it.
    static Level measure(const std::string& relative) {
        Mix_Chunk* chunk = Mix_LoadWAV(pathOf(relative).c_str());
        EXPECT_NE(chunk, nullptr) << relative << ": " << Mix_GetError();
        if (chunk == nullptr) {
            return {0, 0};
        }
        const auto* samples = reinterpret_cast<const std::int16_t*>(chunk->abuf);
        const std::size_t frames = chunk->alen / bytesPerFrame;
        double sum = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            sum += std::pow(samples[2 * i] / 32768.0, 2);
        }
        const Level level{static_cast<double>(frames) / outputRate,
                          std::sqrt(sum / std::max<std::size_t>(frames, 1))};
        Mix_FreeChunk(chunk);
        return level;
    }

    static std::uint32_t wavRate(const std::string& relative) {
        std::ifstream file(pathOf(relative), std::ios::binary);
        unsigned char header[28] = {};
        file.read(reinterpret_cast<char*>(header), sizeof(header));
        return header[24] | header[25] << 8 | header[26] << 16 |
               static_cast<std::uint32_t>(header[27]) << 24;
    }
};

TEST_F(GeneratedSounds, EffectsHaveTheirLengthsAtTheMixerRate) {
    for (const char* effect :
         {"sfx/sword/slash.wav", "sfx/death/wilhelm.wav", "sfx/death/gameover.wav"}) {
        EXPECT_EQ(wavRate(effect), static_cast<std::uint32_t>(outputRate))
            << effect << " would be resampled";
    }
    const Level slash = measure("sfx/sword/slash.wav");
    EXPECT_GT(slash.seconds, 0.1);
    EXPECT_LT(slash.seconds, 0.4);
    const Level scream = measure("sfx/death/wilhelm.wav");
    EXPECT_GT(scream.seconds, 0.8);
    EXPECT_LT(scream.seconds, 1.3);
    const Level jingle = measure("sfx/death/gameover.wav");
    EXPECT_GT(jingle.seconds, 1.0);
    EXPECT_LT(jingle.seconds, gameOverPause - 0.5)
        << "the process ends 3.7 s after the jingle starts";
}

TEST_F(GeneratedSounds, MusicLoadsAndRunsOverAMinute) {
    Mix_Music* music = Mix_LoadMUS(pathOf("pompeii.ogg").c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    Mix_FreeMusic(music);
    EXPECT_GE(measure("pompeii.ogg").seconds, 60.0);
}

TEST_F(GeneratedSounds, MusicLoopsWithoutAClick) {
    Mix_Chunk* chunk = Mix_LoadWAV(pathOf("pompeii.ogg").c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const auto* samples = reinterpret_cast<const std::int16_t*>(chunk->abuf);
    const long frames = static_cast<long>(chunk->alen / bytesPerFrame);
    const long window = outputRate / 20; // 50 ms either side of the seam
    for (int channel = 0; channel < 2; ++channel) {
        auto at = [&](long frame) { return static_cast<int>(samples[2 * frame + channel]); };
        int largestStep = 0;
        for (long i = 1; i < window; ++i) {
            largestStep = std::max({largestStep, std::abs(at(i) - at(i - 1)),
                                    std::abs(at(frames - i) - at(frames - i - 1))});
        }
        const int seam = std::abs(at(0) - at(frames - 1));
        EXPECT_LE(seam, largestStep) << "channel " << channel;
    }
    Mix_FreeChunk(chunk);
}

TEST_F(GeneratedSounds, EffectsStandWellAboveTheMusic) {
    // Effects and music both play at volume 64, so the files themselves set the balance.
    const double music = measure("pompeii.ogg").rms;
    ASSERT_GT(music, 0.0);
    for (const char* effect :
         {"sfx/sword/slash.wav", "sfx/death/wilhelm.wav", "sfx/death/gameover.wav"}) {
        const double decibelsAbove = 20 * std::log10(measure(effect).rms / music);
        EXPECT_GT(decibelsAbove, 6.0) << effect;
    }
}

} // namespace
