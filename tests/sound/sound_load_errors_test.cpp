// The engine's answer to sound files it cannot use: SDL's own text, telling which file it was.
#include "sound/sound_engine.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

using testing_support::TemporaryFolder;
using testing_support::WorkingFolder;

namespace {

using testing_support::messageThrownBy;

void writeNonsense(const std::filesystem::path& path, const std::string& start) {
    std::ofstream out(path, std::ios::binary);
    out << start;
    for (int i = 0; i < 2000; ++i) {
        out.put(static_cast<char>((i * 131 + 7) % 251));
    }
}

// Each test works in a fresh folder with a good sample and good music, and closes the device
// its failed init leaves open.
class SoundEngineLoadErrorsTest : public ::testing::Test {
  protected:
    SoundEngineLoadErrorsTest() : inside_(folder_.path()) {
        testing_support::writeWav("sfx/death/wilhelm.wav", 100);
        testing_support::writeOggVorbis("pompeii.ogg", 300);
    }
    void SetUp() override { openCount_ = Mix_QuerySpec(nullptr, nullptr, nullptr); }
    void TearDown() override {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > openCount_) {
            Mix_CloseAudio();
        }
    }

    // What init threw, with its loading lines kept out of the test log.
    std::string initFailure() {
        std::ostringstream quiet;
        std::streambuf* previous = std::cout.rdbuf(quiet.rdbuf());
        SoundEngine engine;
        const std::string message = messageThrownBy([&] { engine.init(); });
        std::cout.rdbuf(previous);
        return message;
    }

    TemporaryFolder folder_;
    WorkingFolder inside_;
    int openCount_ = 0;
};

TEST_F(SoundEngineLoadErrorsTest, UndecodableSampleNamesItsFile) {
    writeNonsense("sfx/death/broken.wav", "RIFF\x10\0\0\0WAVE");
    const std::string message = initFailure();
    EXPECT_NE(message.find("broken.wav"), std::string::npos) << message;
    EXPECT_EQ(message, SDL_GetError());
}

TEST_F(SoundEngineLoadErrorsTest, UnopenableSampleSaysItCannotBeOpened) {
    // A link to itself can be listed but never opened, even by root.
    std::filesystem::create_symlink("echo.wav", "sfx/death/echo.wav");
    const std::string message = initFailure();
    EXPECT_NE(message.find("echo.wav"), std::string::npos) << message;
    EXPECT_EQ(message.find("NULL"), std::string::npos) << message;
}

TEST_F(SoundEngineLoadErrorsTest, UndecodableMusicNamesItsFile) {
    writeNonsense("pompeii.ogg", "OggS");
    const std::string message = initFailure();
    EXPECT_NE(message.find("pompeii.ogg"), std::string::npos) << message;
    EXPECT_EQ(message, SDL_GetError());
}

} // namespace
