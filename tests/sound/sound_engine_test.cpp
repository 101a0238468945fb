// The sound engine on the real mixer (unusable sound files are the error matrix's), and the
// player's volume heard in the mix SDL's disk audio driver writes.
#include "formats/ogg_writer.h"
#include "formats/wav_writer.h"
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "shell/game.h"
#include "sound/sound_engine.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

// An engine's music, and the channel a sample is marked as playing on (-1: free, or never started).
class SoundEngineTestAccess {
  public:
    static Mix_Music* music(const SoundEngine& engine) { return engine.music; }
    static int channelOf(const SoundEngine& engine, Mix_Chunk* chunk) {
        SDL_LockAudio();
        const auto mark = engine.playing.find(chunk);
        const int channel = mark == engine.playing.end() ? -1 : mark->second - 1;
        SDL_UnlockAudio();
        return channel;
    }
};

namespace {

using Access = SoundEngineTestAccess;
namespace fs = std::filesystem;

constexpr int longMs = 3000; // still sounding however slow the test runs
constexpr int mixerChannels = 8;
// The music fades out for 2000 ms, then the jingle gets 3700 ms before the game may end.
constexpr Uint32 sequenceMs = 2000 + 3700;
constexpr double pi = 3.141592653589793;
constexpr double toneHz = 440.0;
constexpr double toneLevel = 0.5;
constexpr int toneSeconds = 30; // sounds on through every measurement
constexpr double heardSeconds = 0.5;
constexpr double fadeSeconds = 8.0; // well past the music's fade in

// In a fresh working folder; leaves the mixer as open as it found it (a failed or repeated init
// leaves it open on purpose) and the game-over flag lowered, which would end the state loop.
class SoundEngineTest : public ::testing::Test {
  protected:
    void SetUp() override { openCount_ = Mix_QuerySpec(nullptr, nullptr, nullptr); }
    void TearDown() override {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > openCount_) {
            Mix_CloseAudio();
        }
        platform::forgetEndRequest();
    }
    // A silent WAV file under sfx, whatever its name: the mixer decodes samples by content.
    static void addSample(const std::string& relative, int milliseconds = longMs) {
        const fs::path path = fs::path("sfx") / relative;
        fs::create_directories(path.parent_path());
        audio::writeWav(path, audio::Samples(audio::sampleRate * milliseconds / 1000));
    }
    static void addMusic() {
        const audio::Samples silence(audio::sampleRate / 2);
        audio::writeOgg("pompeii.ogg", {silence, silence}, 0.1f);
    }
    // Initialises `engine` without a word; returns what it threw.
    static std::string initQuietly(SoundEngine& engine) {
        const testing_support::CoutCapture quiet;
        std::string thrown;
        try {
            engine.init();
        } catch (const char* message) { // the engine throws its message text itself
            thrown = message;
        }
        Mix_HaltChannel(-1); // anything an earlier test left sounding on the shared mixer
        return thrown;
    }

    testing_support::TemporaryFolder folder_;
    testing_support::WorkingFolder inside_{folder_.path()};
    int openCount_ = 0;
};

TEST_F(SoundEngineTest, LoadsEachSubFolderOfSfxAsACategoryOfSamplesThatPlayAndPause) {
    for (const char* file :
         {"loose.wav", "cat/a.b.wav", "cat/.wav", "cat/HIT.WAV", "cat/clip.wav.bak",
          "cat/notes.txt", "cat/inner/deep.wav", "other/x.ogg"}) {
        addSample(file);
    }
    addSample("cat/hit.wav", 50);
    addSample("cat/hit.ogg", 400);
    addMusic();
    SoundEngine engine;
    EXPECT_THROW(engine.playEffect("cat", "a.b", 1), const char*) << "not initialised yet";
    EXPECT_THROW(engine.playMusic(-1), const char*);
    ASSERT_EQ(initQuietly(engine), "");
    const std::tuple<const char*, const char*, bool> found[] = {
        {"cat", "a.b", true},    {"cat", "", true},    {"cat", "clip.wav", true},
        {"other", "x", true},    {"cat", "hit", true}, {"cat", "HIT", false},
        {"inner", "deep", false}};
    for (const auto& [category, name, loaded] : found) {
        EXPECT_EQ(engine.sample(category, name) != nullptr, loaded) << category << "/" << name;
    }
    EXPECT_EQ(Mix_VolumeChunk(engine.sample("cat", "a.b"), -1), 64);
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    EXPECT_EQ(std::tuple(frequency, format, channels), std::tuple(22050, AUDIO_S16LSB, 2));
    // What it loaded plays, the music fading in, and a pause holds both where they stand.
    engine.playMusic(-1);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
    engine.playEffect("cat", "a.b", 1);
    SoundEngine::pauseSound();
    EXPECT_EQ(Mix_PausedMusic() + Mix_Paused(-1), 2);
    SoundEngine::resumeSound();
    EXPECT_EQ(Mix_PausedMusic() + Mix_Paused(-1), 0);
    EXPECT_EQ(Mix_Playing(-1), 1) << "the effect goes on from where it stood";
    EXPECT_EQ(initQuietly(engine), "Music already loaded.");
}

// A request refused for lack of channels plays once repeated, too.
TEST_F(SoundEngineTest, ASampleIsNotLayeredWhileItSoundsAndPlaysAgainOnceItsChannelStops) {
    for (int i = 0; i <= mixerChannels; ++i) {
        addSample("many/" + std::to_string(i) + ".wav");
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    auto channelOf = [&](int n) {
        return Access::channelOf(engine, engine.sample("many", std::to_string(n)));
    };
    engine.playEffect("nowhere", "0", 1);
    engine.playEffect("many", "nothing", 1);
    EXPECT_EQ(Mix_Playing(-1), 0) << "a missing sample plays nothing";
    for (int request = 0; request < 2; ++request) {
        engine.playEffect("many", "0", 1);
        engine.playEffect("many", "1", 1);
    }
    EXPECT_EQ(Mix_Playing(-1), 2);
    EXPECT_EQ(channelOf(0), 0);
    EXPECT_EQ(channelOf(1), 1);
    Mix_HaltChannel(1);
    EXPECT_EQ(channelOf(1), -1);
    EXPECT_EQ(channelOf(0), 0);
    for (int i = 1; i <= mixerChannels; ++i) {
        engine.playEffect("many", std::to_string(i), 1);
    }
    EXPECT_EQ(Mix_Playing(-1), mixerChannels);
    EXPECT_EQ(channelOf(mixerChannels), -1) << "refused for lack of channels";
    Mix_HaltChannel(3);
    engine.playEffect("many", std::to_string(mixerChannels), 0);
    EXPECT_EQ(channelOf(mixerChannels), 3);
}

// Three requesting threads while short samples keep ending on the audio thread.
TEST_F(SoundEngineTest, PlayingTableStaysConsistentUnderTheAudioThread) {
    constexpr int kinds = 6;
    for (int i = 0; i < kinds; ++i) {
        addSample("short/" + std::to_string(i) + ".wav", 5 + 7 * i);
    }
    addMusic();
    SoundEngine engine;
    initQuietly(engine);
    // Requests go on until the audio thread has ended samples this often under them.
    constexpr int endingsSeen = 30;
    std::atomic<bool> done{false};
    auto requester = [&](int offset) {
        for (int round = offset; !done; ++round) {
            engine.playEffect("short", std::to_string(round % kinds), 1);
            std::this_thread::yield();
        }
    };
    std::thread second(requester, 3);
    std::thread third(requester, 1);
    // Under the audio lock (the mixer's, which nests) each mark is free or its own playing channel.
    auto marksHold = [&](bool mayPlay) {
        SDL_LockAudio();
        std::set<int> taken;
        bool holds = true;
        for (int i = 0; i < kinds; ++i) {
            const int channel =
                Access::channelOf(engine, engine.sample("short", std::to_string(i)));
            holds =
                holds && (channel == -1 || (mayPlay && channel < mixerChannels &&
                                            Mix_Playing(channel) && taken.insert(channel).second));
        }
        SDL_UnlockAudio();
        return holds;
    };
    bool consistent = true;
    for (int round = 0, endings = 0, playing = 0; endings < endingsSeen; ++round) {
        engine.playEffect("short", std::to_string(round % kinds), 1);
        consistent = consistent && marksHold(true);
        const int now = Mix_Playing(-1);
        endings += now < playing ? 1 : 0;
        playing = now;
        std::this_thread::yield();
    }
    done = true;
    second.join();
    third.join();
    EXPECT_TRUE(consistent);
    // Left alone, every sample ends on the audio thread, which frees its mark.
    while (Mix_Playing(-1) > 0) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(marksHold(false));
}

TEST_F(SoundEngineTest, GameOverFadesOutPlaysTheJingleAndFinishesAfter5700MsUnlessCutShort) {
    addMusic();
    fs::create_directory("sfx");
    // On a busy machine every sleep oversleeps: the sequence still ends one oversleep late at most.
    constexpr Uint32 busyOversleep = 7;
    const struct {
        bool jingle, signal;
        Uint32 oversleep, waited;
        bool finished;
    } cases[] = {{false, false, 0, sequenceMs, true},
                 {true, false, 0, sequenceMs, true},
                 {true, false, busyOversleep, sequenceMs + busyOversleep, true},
                 {true, true, 0, 0, false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.jingle << test.signal << " " << test.oversleep);
        platform::setTestOversleep(test.oversleep);
        if (test.jingle) {
            addSample("death/gameover.wav");
        }
        SoundEngine engine;
        initQuietly(engine);
        // At full volume: a fade out begun early in the fade in would end at once.
        Mix_PlayMusic(Access::music(engine), -1);
        platform::setTestClock(1000);
        if (test.signal) {
            platform::requestEnd();
        }
        // The hero dies once: a second start starts no second sequence.
        EXPECT_FALSE(SoundEngine::waitForGameOver()); // none started: returns at once
        SoundEngine::startGameOverThread(&engine);
        SoundEngine::startGameOverThread(&engine);
        EXPECT_EQ(SoundEngine::waitForGameOver(), test.finished);
        EXPECT_EQ(platform::ticks(), 1000 + test.waited);
        EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
        const bool sounding = test.jingle && !test.signal;
        EXPECT_EQ(Mix_Playing(-1), sounding ? 1 : 0);
        if (sounding) {
            // Played without rearming: stopped, it stays marked, and a new request is dropped.
            const int channel = Access::channelOf(engine, engine.sample("death", "gameover"));
            EXPECT_EQ(Mix_Playing(channel), 1);
            Mix_HaltChannel(channel);
            engine.playEffect("death", "gameover", 0);
            EXPECT_EQ(Mix_Playing(-1), 0);
            EXPECT_EQ(Access::channelOf(engine, engine.sample("death", "gameover")), channel);
        }
        Mix_HaltMusic(); // freeing music waits for its fade out to end
        platform::setTestOversleep(0);
        TearDown();
    }
}

TEST_F(SoundEngineTest, AFinishedGameOverEndsTheRunWithStatus0AfterTheSequence) {
    addSample("death/gameover.wav");
    addMusic();
    initQuietly(*SoundEngine::instance());
    SoundEngine::instance()->playMusic(-1);
    // The shell's end and the sequence both wait on the real clock, as in the game.
    platform::useRealClock();
    resetShellGlobals(platform::ticks());
    gameState = statePlaying;
    heroDead = true; // as the hero's death leaves it, with its sequence started
    const Uint32 died = platform::ticks();
    SoundEngine::startGameOverThread(SoundEngine::instance());
    EXPECT_EQ(stateLoop(), RunEnd::gameOver);
    EXPECT_GE(platform::ticks() - died, SoundEngine::gameOverLengthMs());
    EXPECT_EQ(endRun(RunEnd::gameOver), EXIT_SUCCESS);
    platform::useTestClock(0);
}

audio::Samples tone() {
    audio::Samples samples(static_cast<std::size_t>(audio::sampleRate * toneSeconds));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(
            toneLevel * std::sin(2 * pi * toneHz * static_cast<double>(i) / audio::sampleRate));
    }
    return samples;
}

// The engine on the disk driver, writing as fast as it mixes: a measurement waits for bytes.
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
        const testing_support::CoutCapture quiet;
        engine.init();
    }
    void TearDown() override {
        SoundEngine::setVolume(100);
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    // Bytes of `seconds` of the device's 16-bit sound.
    static std::uintmax_t bytesOf(double seconds) {
        int frequency = 0, channels = 0;
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
    }
}

} // namespace
