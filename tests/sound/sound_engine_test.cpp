// The sound engine on the real mixer with the dummy audio driver: the library it loads, its rule
// against layering a sample over itself, its playing table under the audio thread, and the memory
// it gives back. What a player sees of unusable sound files is the error matrix's.
#include "sound/sound_engine.h"
#include "sound/sound_engine_access.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iostream>
#include <sstream>
#include <thread>

using testing_support::messageThrownBy;
using Access = SoundEngineTestAccess;
namespace fs = std::filesystem;

namespace {

constexpr int longMs = 3000; // still sounding however slow the test runs
constexpr int mixerChannels = 8;

std::string numbered(int n) {
    return "s" + std::to_string(n);
}

// Each test runs in a fresh working folder and leaves the mixer as open as it found it (a failed
// or repeated init leaves the device open on purpose).
class SoundEngineTest : public ::testing::Test {
  protected:
    SoundEngineTest() : inside_(folder_.path()) {}
    void SetUp() override { openCount_ = Mix_QuerySpec(nullptr, nullptr, nullptr); }
    void TearDown() override {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > openCount_) {
            Mix_CloseAudio();
        }
    }
    static void addSample(const std::string& relative, int milliseconds = longMs) {
        testing_support::writeWav(fs::path("sfx") / relative, milliseconds);
    }
    static void addMusic() { testing_support::writeOggVorbis("pompeii.ogg", 500); }
    // Initialises `engine`; returns what it threw and what it printed, the lines sorted.
    static std::string initQuietly(SoundEngine& engine, std::vector<std::string>* printed = {}) {
        std::ostringstream console;
        std::streambuf* previous = std::cout.rdbuf(console.rdbuf());
        const std::string thrown = messageThrownBy([&] { engine.init(); });
        std::cout.rdbuf(previous);
        std::istringstream lines(console.str());
        for (std::string line; printed != nullptr && std::getline(lines, line);) {
            printed->push_back(line);
        }
        if (printed != nullptr) {
            std::sort(printed->begin(), printed->end());
        }
        Mix_HaltChannel(-1); // anything an earlier test left sounding on the shared mixer
        return thrown;
    }

    testing_support::TemporaryFolder folder_;
    testing_support::WorkingFolder inside_;
    int openCount_ = 0;
};

TEST_F(SoundEngineTest, LoadsEachSubFolderOfSfxAsACategoryOfSamplesNamedByTheirStem) {
    for (const char* file : {"loose.wav", "cat/a.b.wav", "cat/.wav", "cat/HIT.WAV",
                             "cat/clip.wav.bak", "cat/notes.txt", "cat/inner/deep.wav"}) {
        addSample(file);
    }
    testing_support::writeOggVorbis("sfx/other/x.ogg", 100); // decoded by content
    addMusic();
    SoundEngine engine;
    std::vector<std::string> printed;
    ASSERT_EQ(initQuietly(engine, &printed), "");
    const std::vector<std::pair<const char*, const char*>> found = {
        {"cat", "a.b"}, {"cat", ""}, {"cat", "clip.wav"}, {"other", "x"}};
    for (const auto& [category, name] : found) {
        EXPECT_NE(engine.sample(category, name), nullptr) << category << "/" << name;
    }
    EXPECT_EQ(engine.sample("cat", "HIT"), nullptr);
    EXPECT_EQ(engine.sample("inner", "deep"), nullptr);
    EXPECT_EQ(printed,
              (std::vector<std::string>{"\t.wav", "\ta.b.wav", "\tclip.wav.bak", "\tx.ogg"}));
    EXPECT_EQ(Mix_VolumeChunk(engine.sample("cat", "a.b"), -1), 64);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    EXPECT_EQ(frequency * 10 + channels, 22050 * 10 + 2);
    EXPECT_EQ(format, AUDIO_S16LSB);
    engine.playMusic(-1);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
}

TEST_F(SoundEngineTest, LaterOfTwoFilesWithOneStemWins) {
    addSample("cat/hit.wav", 50);
    addSample("cat/hit.ogg", 400);
    addMusic();
    std::string later;
    for (const auto& entry : fs::directory_iterator("sfx/cat")) {
        later = entry.path().filename().string();
    }
    SoundEngine engine;
    initQuietly(engine);
    // Stereo 16-bit at the file's own rate: four bytes a frame.
    const int laterMs = later == "hit.wav" ? 50 : 400;
    ASSERT_NE(engine.sample("cat", "hit"), nullptr);
    EXPECT_EQ(engine.sample("cat", "hit")->alen,
              4u * (testing_support::testSoundRate * laterMs / 1000));
}

TEST_F(SoundEngineTest, PlaysOnlyOnceInitialisedAndASecondInitSaysMusicAlreadyLoaded) {
    addSample("death/wilhelm.wav");
    addMusic();
    SoundEngine engine;
    EXPECT_EQ(messageThrownBy([&] { engine.playEffect("death", "wilhelm", 1); }),
              "SoundEngine not initialized");
    EXPECT_EQ(messageThrownBy([&] { engine.playMusic(-1); }), "SoundEngine not initialized");
    initQuietly(engine);
    EXPECT_EQ(initQuietly(engine), "Music already loaded.");
    EXPECT_NO_THROW(engine.playMusic(-1));
}

// A sample is never layered over itself: a request while it sounds is dropped, and it plays
// again once its channel stops, or once a request refused for lack of channels is repeated.
TEST_F(SoundEngineTest, ASampleIsNotLayeredWhileItSoundsAndPlaysAgainOnceItsChannelStops) {
    for (int i = 0; i <= mixerChannels; ++i) {
        addSample("many/" + numbered(i) + ".wav");
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    auto channelOf = [&](int n) {
        return Access::channelOf(engine, engine.sample("many", numbered(n)));
    };
    engine.playEffect("nowhere", "s0", 1);
    engine.playEffect("many", "nothing", 1);
    EXPECT_EQ(Mix_Playing(-1), 0) << "a missing sample plays nothing";
    for (int request = 0; request < 2; ++request) {
        engine.playEffect("many", "s0", 1);
        engine.playEffect("many", "s1", 1);
    }
    EXPECT_EQ(Mix_Playing(-1), 2);
    EXPECT_EQ(channelOf(0), 0);
    EXPECT_EQ(channelOf(1), 1);
    Mix_HaltChannel(1);
    EXPECT_EQ(channelOf(1), -1);
    EXPECT_EQ(channelOf(0), 0);
    for (int i = 1; i <= mixerChannels; ++i) {
        engine.playEffect("many", numbered(i), 1);
    }
    EXPECT_EQ(Mix_Playing(-1), mixerChannels);
    EXPECT_EQ(channelOf(mixerChannels), -1) << "refused for lack of channels";
    Mix_HaltChannel(3);
    engine.playEffect("many", numbered(mixerChannels), 0);
    EXPECT_EQ(channelOf(mixerChannels), 3);
}

TEST_F(SoundEngineTest, BeforeAnyRearmingRequestAStartedSampleStaysMarked) {
    addSample("death/gameover.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    engine.playEffect("death", "gameover", 0);
    Mix_HaltChannel(0);
    engine.playEffect("death", "gameover", 0);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(Access::channelOf(engine, engine.sample("death", "gameover")), 0);
}

// Three requesting threads while short samples keep ending on the audio thread: under the audio
// lock every mark names a channel that is playing and no two samples share one, and once the
// samples have ended every one is free again.
TEST_F(SoundEngineTest, PlayingTableStaysConsistentUnderTheAudioThread) {
    constexpr int kinds = 6;
    for (int i = 0; i < kinds; ++i) {
        addSample("short/" + numbered(i) + ".wav", 5 + 7 * i);
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    // Requests go on until the audio thread has ended samples this often under them.
    constexpr int endingsSeen = 30;
    std::atomic<bool> done{false};
    auto requester = [&](int offset) {
        for (int round = offset; !done; ++round) {
            engine.playEffect("short", numbered(round % kinds), 1);
            std::this_thread::yield();
        }
    };
    std::thread second(requester, 3);
    std::thread third(requester, 1);
    bool consistent = true;
    for (int round = 0, endings = 0, playing = 0; endings < endingsSeen; ++round) {
        engine.playEffect("short", numbered(round % kinds), 1);
        consistent =
            consistent && Access::everyMark(engine, [](int channel) {
                return channel >= 0 && channel < mixerChannels && Mix_Playing(channel) == 1;
            });
        const int now = Mix_Playing(-1);
        endings += now < playing ? 1 : 0;
        playing = now;
        std::this_thread::yield();
    }
    done = true;
    second.join();
    third.join();
    EXPECT_TRUE(consistent);
    // Left alone, every sample ends on the audio thread, which frees its mark; waited for, not
    // timed.
    while (Mix_Playing(-1) > 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(Access::everyMark(engine, [](int) { return false; }));
}

TEST_F(SoundEngineTest, APauseHoldsEveryEffectAndTheMusicWhereTheyStand) {
    addSample("death/wilhelm.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    engine.playMusic(-1);
    engine.playEffect("death", "wilhelm", 1);
    SoundEngine::pauseSound();
    EXPECT_EQ(Mix_PausedMusic() + Mix_Paused(-1), 2);
    SoundEngine::resumeSound();
    EXPECT_EQ(Mix_PausedMusic() + Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_Playing(-1), 1) << "the effect goes on from where it stood";
}

// Heap bytes in use, small blocks and mapped large ones together.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Samples of 10 s decode to about 1.7 MB each; what one engine's life leaves behind beyond that
// is the mixer's and SDL's own bookkeeping.
TEST_F(SoundEngineTest, AnEngineGivesBackEverySampleItDecodedWhateverBecameOfItsInit) {
    const std::function<void()> layouts[] = {
        [] { fs::remove("pompeii.ogg"); }, // samples loaded before a failed init
        [] { testing_support::writeOggVorbis("sfx/death/wilhelm.ogg", 10000); }}; // replaced
    for (const auto& layout : layouts) {
        fs::remove_all("sfx");
        addMusic();
        addSample("death/wilhelm.wav", 10000);
        auto growth = [&] {
            const std::size_t before = heapInUse();
            {
                SoundEngine engine;
                initQuietly(engine);
            }
            TearDown();
            return std::max(heapInUse(), before) - before;
        };
        growth(); // the mixer's first use allocates for good
        layout();
        EXPECT_LT(growth(), 256u * 1024);
    }
}

} // namespace
