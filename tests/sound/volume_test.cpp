// The player's volume, heard: SDL's disk audio driver writes the mix to a file, and each sound
// there is quieter by the volume's share, effects, music and the game-over jingle alike.
#include "formats/ogg_writer.h"
#include "formats/wav_writer.h"
#include "platform/clock.h"
#include "sound/sound_engine.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double pi = 3.141592653589793;
constexpr double toneHz = 440.0;
constexpr double toneLevel = 0.5;
constexpr int toneSeconds = 30; // sounds on through every measurement
constexpr double heardSeconds = 0.5;
constexpr double fadeSeconds = 8.0; // well past the music's fade in

audio::Samples tone() {
    audio::Samples samples(static_cast<std::size_t>(audio::sampleRate * toneSeconds));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(
            toneLevel * std::sin(2 * pi * toneHz * static_cast<double>(i) / audio::sampleRate));
    }
    return samples;
}

// The engine on the disk driver, writing as fast as it can mix: a measurement waits for bytes of
// sound, never for the wall clock.
class VolumeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        fs::create_directories("sfx/sword");
        fs::create_directories("sfx/death");
        audio::writeWav("sfx/sword/tone.wav", tone());
        audio::writeWav("sfx/death/gameover.wav", tone());
        audio::writeOgg("pompeii.ogg", {tone(), tone()}, 0.3f);
        std::ostringstream console;
        std::streambuf* previous = std::cout.rdbuf(console.rdbuf());
        engine.init();
        std::cout.rdbuf(previous);
    }
    void TearDown() override {
        SoundEngine::setVolume(100);
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    // Bytes of `seconds` of the device's 16-bit sound.
    static std::uintmax_t bytesOf(double seconds) {
        int frequency = 0;
        int channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&frequency, &format, &channels);
        return static_cast<std::uintmax_t>(seconds * frequency) * 2 *
               static_cast<std::uintmax_t>(channels);
    }
    // The loudness (rms) of the next half second of sound the device writes, after `skip` bytes.
    double loudnessOfNext(std::uintmax_t skip) {
        const std::uintmax_t heardBytes = bytesOf(heardSeconds);
        const std::uintmax_t from = fs::file_size(output) + skip;
        while (fs::file_size(output) < from + heardBytes) {
            SDL_Delay(1); // the audio thread writes; this only waits for its bytes
        }
        std::ifstream file(output, std::ios::binary);
        file.seekg(static_cast<std::streamoff>(from - from % 4));
        std::vector<std::int16_t> sound(heardBytes / 2);
        file.read(reinterpret_cast<char*>(sound.data()),
                  static_cast<std::streamsize>(sound.size() * 2));
        double sum = 0;
        for (const std::int16_t sample : sound) {
            sum += static_cast<double>(sample) * sample;
        }
        return std::sqrt(sum / static_cast<double>(sound.size()));
    }

    testing_support::TemporaryFolder folder;
    testing_support::WorkingFolder inside{folder.path()};
    std::string output = (folder.path() / "sound.raw").string();
    SoundEngine engine;
};

TEST_F(VolumeTest, EffectsMusicAndTheJingleAreQuieterByTheVolumesShare) {
    const struct {
        const char* what;
        void (*start)(SoundEngine&);
        double settle; // seconds of sound before it stands at its full loudness
    } sounds[] = {
        {"effect", [](SoundEngine& e) { e.playEffect("sword", "tone", 0); }, 0.0},
        {"music", [](SoundEngine& e) { e.playMusic(-1); }, fadeSeconds},
        {"jingle",
         [](SoundEngine& e) {
             platform::useTestClock(0); // the sequence's waits pass at once
             SoundEngine::gameOverSequence(&e);
         },
         0.0},
    };
    for (const auto& sound : sounds) {
        SCOPED_TRACE(sound.what);
        SoundEngine::setVolume(100);
        sound.start(engine);
        // Past what was mixed before the sound started, and any fade.
        const double full = loudnessOfNext(bytesOf(sound.settle + heardSeconds));
        ASSERT_GT(full, 1000.0);
        for (const int percent : {50, 20, 0}) {
            SoundEngine::setVolume(percent);
            const double heard = loudnessOfNext(bytesOf(heardSeconds)); // past what was mixed
            // To the mixer's 128 steps of volume.
            EXPECT_NEAR(heard / full, percent / 100.0, 0.02) << percent << "%";
        }
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        SoundEngine::resetGameOver();
    }
}

} // namespace
