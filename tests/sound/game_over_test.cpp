// The game-over sequence on the test clock: its fade, its jingle, its 5700 ms and its signal.
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "sound/sound_engine.h"
#include "sound/sound_engine_access.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_thread.h>

#include <iostream>
#include <sstream>

using testing_support::TemporaryFolder;
using testing_support::WorkingFolder;
using Access = SoundEngineTestAccess;

namespace {

// Other tests run the state loop in this process, which ends it once a game over has finished:
// every test here lowers the flag again, whatever happens.
class GameOverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        openCount_ = Mix_QuerySpec(nullptr, nullptr, nullptr);
        SoundEngine::resetGameOver();
    }
    void TearDown() override {
        platform::forgetEndRequest();
        SoundEngine::resetGameOver();
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) > openCount_) {
            Mix_CloseAudio();
        }
    }

    // An engine over a folder with the music and, when asked, the "gameover" sample.
    void initEngine(SoundEngine& engine, bool withJingle) {
        TemporaryFolder folder;
        std::filesystem::create_directories(folder.path() / "sfx" / "death");
        if (withJingle) {
            testing_support::writeWav(folder.path() / "sfx" / "death" / "gameover.wav", 3000);
        }
        testing_support::writeOggVorbis(folder.path() / "pompeii.ogg", 500);
        WorkingFolder inside(folder.path());
        std::ostringstream quiet;
        std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());
        engine.init();
        std::cout.rdbuf(console);
        Mix_HaltChannel(-1); // anything an earlier test left sounding on the shared mixer
    }

    // Runs the sequence on its own thread, as the game does, and waits for it.
    int runSequence(SoundEngine& engine) {
        SDL_Thread* thread = SDL_CreateThread(SoundEngine::gameOverSequence, &engine);
        int result = -1;
        SDL_WaitThread(thread, &result);
        return result;
    }

    int openCount_ = 0;
};

TEST_F(GameOverTest, FadesOutPlaysTheJingleAndSignalsAfter5700Ms) {
    SoundEngine engine;
    initEngine(engine, true);
    // At full volume, so the fade out takes its whole 2000 ms (a fade out that begins while the
    // fade in has hardly started ends at once).
    Mix_PlayMusic(Access::music(engine), -1);
    platform::setTestClock(1000);
    ASSERT_FALSE(SoundEngine::gameOverFinished());

    EXPECT_EQ(runSequence(engine), 0);

    EXPECT_EQ(platform::ticks(), 1000u + 2000u + 3700u);
    EXPECT_TRUE(SoundEngine::gameOverFinished());
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    const int channel = Access::channelOf(engine, engine.sample("death", "gameover"));
    ASSERT_GE(channel, 0);
    EXPECT_EQ(Mix_Playing(channel), 1);

    SoundEngine::resetGameOver();
    EXPECT_FALSE(SoundEngine::gameOverFinished());
    Mix_HaltMusic(); // freeing music waits for its fade out to end
}

TEST_F(GameOverTest, FinishesWithoutAJingleToo) {
    SoundEngine engine;
    initEngine(engine, false);
    platform::setTestClock(0);
    EXPECT_EQ(runSequence(engine), 0);
    EXPECT_EQ(platform::ticks(), 5700u);
    EXPECT_TRUE(SoundEngine::gameOverFinished());
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(GameOverTest, TheEndOfTheRunWaitsForTheSequenceItStarted) {
    SoundEngine engine;
    initEngine(engine, false);
    platform::setTestClock(0);
    SoundEngine::waitForGameOver(); // none started: returns at once
    SoundEngine::startGameOverThread(&engine);
    SoundEngine::startGameOverThread(&engine); // the hero dies once: no second sequence
    SoundEngine::waitForGameOver();
    EXPECT_TRUE(SoundEngine::gameOverFinished());
    EXPECT_EQ(platform::ticks(), 5700u) << "one sequence ran, to its end";
}

TEST_F(GameOverTest, ASignalToEndTheRunCutsTheSequenceShort) {
    SoundEngine engine;
    initEngine(engine, true);
    platform::setTestClock(1000);
    platform::requestEnd();
    EXPECT_EQ(runSequence(engine), 0);
    EXPECT_EQ(platform::ticks(), 1000u); // no wait at all
    EXPECT_FALSE(SoundEngine::gameOverFinished());
    EXPECT_EQ(Mix_Playing(-1), 0); // and no jingle
}

} // namespace
