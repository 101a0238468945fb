// An engine that is destroyed gives back every sample it decoded, whatever became of its init.
#include "sound/sound_engine.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <malloc.h>

#include <cstddef>
#include <filesystem>
#include <iostream>
#include <sstream>

using testing_support::TemporaryFolder;
using testing_support::WorkingFolder;

namespace {

// Samples this long decode to about 1.7 MB each at the device's rate; what one engine's life
// leaves behind beyond that is the mixer's and SDL's own bookkeeping.
constexpr int longSampleMs = 10000;
constexpr std::size_t allowedGrowth = 256 * 1024;

// Heap bytes in use, small blocks and mapped large ones together.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

class SoundEngineTeardownTest : public ::testing::Test {
  protected:
    SoundEngineTeardownTest() : inside_(folder_.path()) {}
    void SetUp() override { openCount_ = Mix_QuerySpec(nullptr, nullptr, nullptr); }
    void TearDown() override { closeDevice(); }

    void closeDevice() {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > openCount_) {
            Mix_CloseAudio();
        }
    }

    // Heap growth over one engine's life: init (failing or not), destruction, device closed.
    std::size_t growthOverOneEngine() {
        const std::size_t before = heapInUse();
        {
            std::ostringstream quiet;
            std::streambuf* previous = std::cout.rdbuf(quiet.rdbuf());
            SoundEngine engine;
            try {
                engine.init();
            } catch (const char*) {
            }
            std::cout.rdbuf(previous);
        }
        closeDevice();
        const std::size_t after = heapInUse();
        return after > before ? after - before : 0;
    }

    TemporaryFolder folder_;
    WorkingFolder inside_;
    int openCount_ = 0;
};

TEST_F(SoundEngineTeardownTest, SamplesLoadedBeforeAFailedInitAreFreed) {
    testing_support::writeWav("sfx/death/wilhelm.wav", longSampleMs);
    testing_support::writeOggVorbis("pompeii.ogg", 500);
    growthOverOneEngine(); // the mixer's first use allocates for good
    std::filesystem::remove("pompeii.ogg");
    EXPECT_LT(growthOverOneEngine(), allowedGrowth);
}

TEST_F(SoundEngineTeardownTest, ASampleReplacedByOneOfTheSameNameIsFreed) {
    testing_support::writeOggVorbis("pompeii.ogg", 500);
    std::filesystem::create_directories("sfx/death");
    growthOverOneEngine();
    testing_support::writeWav("sfx/death/wilhelm.wav", longSampleMs);
    testing_support::writeOggVorbis("sfx/death/wilhelm.ogg", longSampleMs);
    EXPECT_LT(growthOverOneEngine(), allowedGrowth);
}

} // namespace
