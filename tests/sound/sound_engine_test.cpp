// The sound engine on the real mixer with the dummy audio driver, over folders made per test.
#include "sound/sound_engine.h"
#include "sound/sound_engine_access.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using testing_support::TemporaryFolder;
using testing_support::WorkingFolder;
using testing_support::writeOggVorbis;
using testing_support::writeWav;
using Access = SoundEngineTestAccess;

namespace {

constexpr int longMs = 3000; // still sounding however slow the test runs
constexpr int mixerChannels = 8;

// Standard output captured for the life of the object.
class CapturedConsole {
  public:
    CapturedConsole() : previous_(std::cout.rdbuf(text_.rdbuf())) {}
    ~CapturedConsole() { std::cout.rdbuf(previous_); }
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(text_.str());
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        std::sort(result.begin(), result.end());
        return result;
    }

  private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

using testing_support::messageThrownBy;

// Sample name number `n`: "s0", "s1", ...
std::string numbered(int n) {
    std::string name = "s";
    name += std::to_string(n);
    return name;
}

int channelsPlaying() {
    return Mix_Playing(-1);
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

    void addSample(const std::string& relative, int milliseconds = longMs) {
        writeWav(folder_.path() / "sfx" / relative, milliseconds);
    }
    void addMusic() { writeOggVorbis(folder_.path() / "pompeii.ogg", 500); }

    // Initialises `engine` over the folder, keeping its loading lines out of the test log, and
    // silences whatever an earlier test left sounding on the shared mixer.
    void initQuietly(SoundEngine& engine) {
        CapturedConsole quiet;
        engine.init();
        Mix_HaltChannel(-1);
    }

    TemporaryFolder folder_;
    WorkingFolder inside_;
    int openCount_ = 0;
};

TEST_F(SoundEngineTest, LoadsTheSubFoldersOfSfxAsCategoriesOfSamples) {
    addSample("loose.wav");
    addSample("cat/a.b.wav");
    addSample("cat/.wav");
    addSample("cat/HIT.WAV");
    addSample("cat/clip.wav.bak");
    addSample("cat/notes.txt");
    addSample("cat/inner/deep.wav");
    addSample("other/x.ogg"); // decoded by content, whatever the name says
    addMusic();

    SoundEngine engine;
    CapturedConsole console;
    engine.init();

    EXPECT_NE(engine.sample("cat", "a.b"), nullptr);
    EXPECT_NE(engine.sample("cat", ""), nullptr);
    EXPECT_NE(engine.sample("cat", "clip.wav"), nullptr);
    EXPECT_NE(engine.sample("other", "x"), nullptr);
    EXPECT_EQ(engine.sample("cat", "HIT"), nullptr);
    EXPECT_EQ(engine.sample("inner", "deep"), nullptr);
    EXPECT_EQ(Access::sampleCount(engine), 4u);
    EXPECT_EQ(console.lines(),
              (std::vector<std::string>{"\t.wav", "\ta.b.wav", "\tclip.wav.bak", "\tx.ogg"}));
    EXPECT_EQ(Mix_VolumeChunk(engine.sample("cat", "a.b"), -1), 64);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);

    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
}

TEST_F(SoundEngineTest, LaterOfTwoFilesWithOneStemWins) {
    addSample("cat/hit.wav", 50);
    addSample("cat/hit.ogg", 400);
    addMusic();
    std::string later;
    for (const auto& entry : std::filesystem::directory_iterator("sfx/cat")) {
        later = entry.path().filename().string();
    }

    SoundEngine engine;
    initQuietly(engine);

    // Stereo 16-bit at the file's own rate: four bytes a frame.
    const Uint32 laterBytes =
        4 * (testing_support::testSoundRate * (later == "hit.wav" ? 50 : 400) / 1000);
    ASSERT_NE(engine.sample("cat", "hit"), nullptr);
    EXPECT_EQ(engine.sample("cat", "hit")->alen, laterBytes) << "later file: " << later;
}

TEST_F(SoundEngineTest, NestedFolderWithSoundNameFailsWithSdlErrorText) {
    addSample("cat/fine.wav");
    std::filesystem::create_directories("sfx/cat/inner.wav");
    addMusic();

    SoundEngine engine;
    CapturedConsole quiet;
    const std::string message = messageThrownBy([&] { engine.init(); });
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message, SDL_GetError());
    EXPECT_EQ(messageThrownBy([&] { engine.playEffect("cat", "fine", 1); }),
              "SoundEngine not initialized");
}

TEST_F(SoundEngineTest, RefusesToPlayBeforeInitAndAfterFailedInit) {
    SoundEngine engine;
    EXPECT_EQ(messageThrownBy([&] { engine.playEffect("death", "wilhelm", 1); }),
              "SoundEngine not initialized");
    EXPECT_EQ(messageThrownBy([&] { engine.playMusic(-1); }), "SoundEngine not initialized");

    // No ./sfx: the filesystem library's own error.
    EXPECT_THROW(engine.init(), std::filesystem::filesystem_error);

    // No music file: SDL's error text.
    addSample("death/wilhelm.wav");
    const std::string message = messageThrownBy([&] { initQuietly(engine); });
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message, SDL_GetError());
    EXPECT_EQ(messageThrownBy([&] { engine.playEffect("death", "wilhelm", 1); }),
              "SoundEngine not initialized");
    EXPECT_EQ(messageThrownBy([&] { engine.playMusic(-1); }), "SoundEngine not initialized");
}

TEST_F(SoundEngineTest, SecondInitSaysMusicAlreadyLoaded) {
    addSample("death/wilhelm.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    EXPECT_EQ(messageThrownBy([&] { initQuietly(engine); }), "Music already loaded.");
    // Still initialized from the first time.
    EXPECT_NO_THROW(engine.playMusic(-1));
}

TEST_F(SoundEngineTest, MixerFailureIsReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A child process of its own: the audio driver is chosen once per process.
    EXPECT_EXIT(
        {
            while (Mix_QuerySpec(nullptr, nullptr, nullptr) > 0) {
                Mix_CloseAudio();
            }
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            SoundEngine engine;
            const std::string message = messageThrownBy([&] { engine.init(); });
            std::exit(message == "Mixer could not be initialized" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(SoundEngineTest, MusicFadesInAtHalfVolume) {
    addMusic();
    std::filesystem::create_directories("sfx");
    SoundEngine engine;
    initQuietly(engine);
    engine.playMusic(-1);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
}

TEST_F(SoundEngineTest, MissingSamplePlaysNothingAndChangesNothing) {
    addSample("death/wilhelm.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    for (int request = 0; request < 3; ++request) {
        EXPECT_NO_THROW(engine.playEffect("nowhere", "wilhelm", 1));
        EXPECT_NO_THROW(engine.playEffect("death", "nothing", 0));
    }
    EXPECT_EQ(channelsPlaying(), 0);
    EXPECT_EQ(Access::sampleCount(engine), 1u);
    EXPECT_EQ(Access::playingEntries(engine), 0u);
    EXPECT_EQ(engine.sample("nowhere", "wilhelm"), nullptr);

    engine.playEffect("death", "wilhelm", 1);
    EXPECT_EQ(channelsPlaying(), 1);
}

TEST_F(SoundEngineTest, SampleIsNotLayeredWhileItSoundsAndPlaysAgainOnceItsChannelStops) {
    addSample("death/wilhelm.wav");
    addSample("sword/slash.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    Mix_Chunk* wilhelm = engine.sample("death", "wilhelm");
    Mix_Chunk* slash = engine.sample("sword", "slash");

    engine.playEffect("death", "wilhelm", 1);
    ASSERT_EQ(Access::channelOf(engine, wilhelm), 0);
    engine.playEffect("death", "wilhelm", 1); // on channel 0, but sounding all the same
    EXPECT_EQ(channelsPlaying(), 1);

    engine.playEffect("sword", "slash", 1);
    ASSERT_EQ(Access::channelOf(engine, slash), 1);
    engine.playEffect("sword", "slash", 1);
    EXPECT_EQ(channelsPlaying(), 2);

    Mix_HaltChannel(1);
    EXPECT_EQ(Access::channelOf(engine, slash), -1);
    EXPECT_EQ(Access::channelOf(engine, wilhelm), 0);
    engine.playEffect("sword", "slash", 1);
    EXPECT_EQ(Access::channelOf(engine, slash), 1);

    Mix_HaltChannel(0);
    engine.playEffect("death", "wilhelm", 0);
    EXPECT_EQ(Access::channelOf(engine, wilhelm), 0);
    EXPECT_EQ(channelsPlaying(), 2);
}

TEST_F(SoundEngineTest, BeforeAnyRearmingRequestAStartedSampleStaysMarked) {
    addSample("death/gameover.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    Mix_Chunk* jingle = engine.sample("death", "gameover");

    engine.playEffect("death", "gameover", 0);
    ASSERT_EQ(Access::channelOf(engine, jingle), 0);
    Mix_HaltChannel(0);
    engine.playEffect("death", "gameover", 0);
    EXPECT_EQ(channelsPlaying(), 0);
    EXPECT_EQ(Access::channelOf(engine, jingle), 0);
}

TEST_F(SoundEngineTest, RequestRefusedForLackOfChannelsLeavesTheSamplePlayable) {
    for (int i = 0; i <= mixerChannels; ++i) {
        addSample("many/" + numbered(i) + ".wav");
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    for (int i = 0; i < mixerChannels; ++i) {
        engine.playEffect("many", numbered(i), 1);
    }
    ASSERT_EQ(channelsPlaying(), mixerChannels);

    Mix_Chunk* last = engine.sample("many", numbered(mixerChannels));
    engine.playEffect("many", numbered(mixerChannels), 1);
    EXPECT_EQ(Access::channelOf(engine, last), -1);

    Mix_HaltChannel(3);
    engine.playEffect("many", numbered(mixerChannels), 1);
    EXPECT_EQ(Access::channelOf(engine, last), 3);
}

// Three requesting threads while short samples keep ending on the audio thread: under the audio
// lock every mark names a channel that is playing and no two samples share one, and once the
// samples have ended every one is free again.
TEST_F(SoundEngineTest, PlayingTableStaysConsistentUnderTheAudioThread) {
    constexpr int sampleKinds = 6;
    for (int i = 0; i < sampleKinds; ++i) {
        addSample("short/" + numbered(i) + ".wav", 5 + 7 * i);
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);

    const Uint32 deadline = SDL_GetTicks() + 400;
    auto nameFor = [](int round) { return numbered(round % sampleKinds); };
    // The other threads only request, as the game-over threads do.
    auto requester = [&](int offset) {
        for (int round = offset; SDL_GetTicks() < deadline; ++round) {
            engine.playEffect("short", nameFor(round), 1);
            std::this_thread::yield();
        }
    };
    std::thread second(requester, 3);
    std::thread third(requester, 1);

    // The game thread requests and checks the table between its requests.
    bool consistent = true;
    for (int round = 0; SDL_GetTicks() < deadline; ++round) {
        engine.playEffect("short", nameFor(round), 1);
        consistent =
            consistent && Access::everyMark(engine, [](int channel) {
                return channel >= 0 && channel < mixerChannels && Mix_Playing(channel) == 1;
            });
        SDL_Delay(1);
    }
    second.join();
    third.join();
    EXPECT_TRUE(consistent);

    // Left alone, every sample ends on the audio thread, which frees its mark.
    SDL_Delay(200);
    EXPECT_EQ(channelsPlaying(), 0);
    for (int i = 0; i < sampleKinds; ++i) {
        EXPECT_EQ(Access::channelOf(engine, engine.sample("short", nameFor(i))), -1);
    }
}

} // namespace

namespace {

TEST_F(SoundEngineTest, APauseHoldsEveryEffectAndTheMusicWhereTheyStand) {
    addSample("death/wilhelm.wav");
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    engine.playMusic(-1);
    engine.playEffect("death", "wilhelm", 1);
    ASSERT_EQ(channelsPlaying(), 1);
    SoundEngine::pauseSound();
    EXPECT_EQ(Mix_PausedMusic(), 1);
    EXPECT_EQ(Mix_Paused(-1), 1);
    SoundEngine::resumeSound();
    EXPECT_EQ(Mix_PausedMusic(), 0);
    EXPECT_EQ(Mix_Paused(-1), 0);
    EXPECT_EQ(channelsPlaying(), 1) << "the effect goes on from where it stood";
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
}

} // namespace
