// Play again: the card after a death, the run kept, a new run as a fresh process's, fifty times.
#include "formats/ogg_writer.h"
#include "formats/wav_writer.h"
#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "records/best_runs.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "shell/play_again.h"
#include "shell/run_results.h"
#include "sound/sound_engine.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int restarts = 50;
constexpr int framesCompared = 150;
constexpr Uint32 frameMs = 16;
constexpr int framesAfterDeath = 5;
constexpr int swingFrame = 20; // a swing early in every run, so that the hero's state moves too
constexpr Uint32 shortSoundMs = 200;

// A run's frames from test clock `start`, the same input at the same frames; each one's digest.
std::vector<std::uint64_t> playFrames(Uint32 start) {
    std::vector<std::uint64_t> digests;
    for (int frame = 0; frame < framesCompared; ++frame) {
        if (frame == swingFrame) {
            testing_support::pushEvent(SDL_KEYDOWN, SDLK_SPACE);
        } else if (frame == swingFrame + 1) {
            testing_support::pushEvent(SDL_KEYUP, SDLK_SPACE);
        }
        platform::setTestClock(start + static_cast<Uint32>(frame) * frameMs);
        runFrame();
        digests.push_back(replay::stateDigest());
    }
    return digests;
}

class PlayAgainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        startGameSound();
        replay::stop();
        platform::useTestClock(0);
        forgetRunResults();
    }
    void TearDown() override {
        SoundEngine::cancelGameOver();
        destroyRoster();
        resetShellGlobals(platform::ticks());
        forgetRunResults();
    }
    // The game's engine, as start-up leaves it, once per process: it is never destroyed.
    static void startGameSound() {
        static const bool started = [] {
            std::filesystem::create_directories("sfx/death");
            audio::writeWav("sfx/death/gameover.wav",
                            audio::Samples(audio::sampleRate * shortSoundMs / 1000));
            const audio::Samples silence(audio::sampleRate / 2);
            audio::writeOgg("pompeii.ogg", {silence, silence}, 0.1f);
            const testing_support::CoutCapture quiet;
            SoundEngine::instance()->init();
            return true;
        }();
        ASSERT_TRUE(started);
    }
    // The hero's health spent: the World's next meter step kills it, and the card comes up.
    static void killHero(Uint32 from) {
        pieces[worldSlot]->changeHealth(1.0, -1);
        for (int frame = 0; frame < framesAfterDeath; ++frame) {
            platform::setTestClock(from + static_cast<Uint32>(frame) * frameMs * 10);
            runFrame();
        }
        ASSERT_TRUE(resultsShown());
    }

    testing_support::TemporaryFolder data;
    testing_support::TemporaryFolder run;
    testing_support::WorkingFolder inside{run.path()};
};

TEST_F(PlayAgainTest, EveryNewRunStartsAsAFreshProcessAndEachDeathIsKept) {
    resetShellGlobals(0); // a fresh process: the globals as at load, the clock at 0
    buildRoster();
    gameState = statePlaying;
    const std::vector<std::uint64_t> fresh = playFrames(0);
    killHero(framesCompared * frameMs);
    Uint32 restartAt = 100000;
    for (int restart = 1; restart <= restarts; ++restart) {
        SCOPED_TRACE(restart);
        // Space on the card asks for the new run, which starts after the frame.
        testing_support::pushEvent(SDL_KEYDOWN, SDLK_SPACE);
        runFrame();
        ASSERT_TRUE(playAgainRequested());
        // The sequence's thread sleeps on the test clock: stopped first, it leaves it as set.
        SoundEngine::cancelGameOver();
        platform::setTestClock(restartAt);
        testing::internal::CaptureStdout();
        startNewRun();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading Enemies\nLoading Player\n");
        EXPECT_FALSE(playAgainRequested());
        EXPECT_FALSE(resultsShown());
        EXPECT_FALSE(SoundEngine::gameOverFinished());
        EXPECT_EQ(playFrames(restartAt), fresh);
        killHero(restartAt + framesCompared * frameMs);
        restartAt += 100000;
    }
    EXPECT_EQ(records::readRuns(records::bestRunsFile()).size(),
              static_cast<std::size_t>(records::keptRuns));
}

// Space is the sword's while the hero lives, and a replay offers no new run.
TEST_F(PlayAgainTest, OnlyTheCardOfALiveRunTakesSpace) {
    resetShellGlobals(platform::ticks());
    buildRoster();
    gameState = statePlaying;
    testing_support::pushEvent(SDL_KEYDOWN, SDLK_SPACE);
    runFrame();
    EXPECT_FALSE(playAgainRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_SPACE);
    killHero(1000);
    using testing_support::keyEvent;
    EXPECT_FALSE(isPlayAgainKey(keyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT))); // the screen's
    EXPECT_TRUE(isPlayAgainKey(keyEvent(SDL_KEYDOWN, SDLK_RETURN)));
}

} // namespace
