// The game-over sequence on the test clock: its fade, its jingle, its 5700 ms, its signal, and the
// end of the whole process it brings.
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "sound/sound_engine.h"
#include "sound/sound_engine_access.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>
#include <SDL/SDL_thread.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

// The music fades out for 2000 ms, then the jingle gets 3700 ms before the game may end.
constexpr Uint32 sequenceMs = 2000 + 3700;

// Initialises `engine` over a folder with the music and, when asked, the "gameover" jingle.
void initEngine(SoundEngine& engine, bool withJingle) {
    testing_support::TemporaryFolder folder;
    std::filesystem::create_directories(folder.path() / "sfx" / "death");
    if (withJingle) {
        testing_support::writeWav(folder.path() / "sfx" / "death" / "gameover.wav", 3000);
    }
    testing_support::writeOggVorbis(folder.path() / "pompeii.ogg", 500);
    testing_support::WorkingFolder inside(folder.path());
    std::ostringstream quiet;
    std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());
    engine.init();
    std::cout.rdbuf(console);
    Mix_HaltChannel(-1); // anything an earlier test left sounding on the shared mixer
}

// Other tests run the state loop in this process, which ends it once a game over has finished:
// every test here lowers the flag again, whatever happens.
class GameOverTest : public ::testing::Test {
  protected:
    void SetUp() override { SoundEngine::resetGameOver(); }
    void TearDown() override {
        platform::forgetEndRequest();
        SoundEngine::resetGameOver();
    }
};

TEST_F(GameOverTest, FadesOutPlaysTheJingleAndFinishesAfter5700MsUnlessASignalCutsItShort) {
    const struct {
        bool jingle, signal;
        Uint32 waited;
        bool finished;
    } cases[] = {
        {true, false, sequenceMs, true}, {false, false, sequenceMs, true}, {true, true, 0, false}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.jingle) + " " + std::to_string(test.signal));
        SoundEngine engine;
        initEngine(engine, test.jingle);
        // At full volume, so the fade out takes its whole time (a fade out that begins while the
        // fade in has hardly started ends at once).
        Mix_PlayMusic(SoundEngineTestAccess::music(engine), -1);
        platform::setTestClock(1000);
        if (test.signal) {
            platform::requestEnd();
        }
        SDL_Thread* thread = SDL_CreateThread(SoundEngine::gameOverSequence, &engine);
        int result = -1;
        SDL_WaitThread(thread, &result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(platform::ticks(), 1000 + test.waited);
        EXPECT_EQ(SoundEngine::gameOverFinished(), test.finished);
        EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
        EXPECT_EQ(Mix_Playing(-1), test.jingle && !test.signal ? 1 : 0);
        if (test.jingle && !test.signal) {
            const int channel =
                SoundEngineTestAccess::channelOf(engine, engine.sample("death", "gameover"));
            EXPECT_EQ(Mix_Playing(channel), 1);
        }
        Mix_HaltMusic(); // freeing music waits for its fade out to end
        TearDown();
    }
}

TEST_F(GameOverTest, TheEndOfTheRunWaitsForTheOneSequenceItStarted) {
    SoundEngine engine;
    initEngine(engine, false);
    platform::setTestClock(0);
    SoundEngine::waitForGameOver(); // none started: returns at once
    SoundEngine::startGameOverThread(&engine);
    SoundEngine::startGameOverThread(&engine); // the hero dies once: no second sequence
    SoundEngine::waitForGameOver();
    EXPECT_TRUE(SoundEngine::gameOverFinished());
    EXPECT_EQ(platform::ticks(), sequenceMs) << "one sequence ran, to its end";
}

TEST_F(GameOverTest, AFinishedSequenceEndsTheWholeProcessWithStatus0) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // As at the game's start-up: exit stops SDL's sound thread before the libraries go.
            std::atexit(SDL_Quit);
            SoundEngine::resetGameOver();
            initEngine(*SoundEngine::instance(), true);
            SoundEngine::instance()->playMusic(-1);
            resetShellGlobals();
            gameState = statePlaying;
            SoundEngine::startGameOverThread(SoundEngine::instance());
            stateLoop();
            std::exit(5); // the loop only returns when the game state says quit
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
