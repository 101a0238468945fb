// Play again: the card after a death, the run kept, a new run as a fresh process's, fifty times.
#include "formats/ogg_writer.h"
#include "formats/wav_writer.h"
#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "records/best_runs.h"
#include "render/screen_blit.h"
#include "replay/recording.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "shell/play_again.h"
#include "shell/run_results.h"
#include "shell/shell_controls.h"
#include "sound/sound_engine.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int restarts = 50;
constexpr int framesCompared = 150;
constexpr Uint32 frameMs = 16;
constexpr int framesAfterDeath = 5;
constexpr int swingFrame = 20;     // a swing early in every run, so that the hero's state moves too
constexpr Uint32 jingleMs = 10000; // still sounding whenever a test looks
constexpr Uint32 longerDeathMs = 320; // each run dies this much later than the run before

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
                            audio::Samples(audio::sampleRate * jingleMs / 1000));
            const audio::Samples silence(audio::sampleRate / 2);
            audio::writeOgg("pompeii.ogg", {silence, silence}, 0.1f);
            const testing_support::CoutCapture quiet;
            SoundEngine::instance()->init();
            return true;
        }();
        ASSERT_TRUE(started);
    }
    // The hero's health spent: the World's next meter step kills it, and the card comes up.
    // Returns the game time the card shows.
    static Uint32 killHero(Uint32 from) {
        pieces[worldSlot]->changeHealth(1.0, -1);
        Uint32 shown = 0;
        for (int frame = 0; frame < framesAfterDeath; ++frame) {
            platform::setTestClock(from + static_cast<Uint32>(frame) * frameMs * 10);
            runFrame();
            shown = shown == 0 && resultsShown() ? runGameTime() : shown;
        }
        EXPECT_TRUE(resultsShown());
        return shown;
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
    std::vector<Uint32> died{killHero(framesCompared * frameMs)};
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
        EXPECT_EQ(playFrames(restartAt), fresh);
        died.push_back(killHero(restartAt + framesCompared * frameMs + restart * longerDeathMs));
        restartAt += 100000;
    }
    // The table holds the longest runs as their cards showed them, longest first.
    std::sort(died.rbegin(), died.rend());
    died.resize(records::keptRuns);
    std::vector<Uint32> kept;
    for (const records::Run& run : records::readRuns(records::bestRunsFile())) {
        kept.push_back(static_cast<Uint32>(run.gameMs));
    }
    EXPECT_EQ(kept, died);
}

// Space is the sword's while the hero lives. On the card it asks for a new run, but not with Alt
// (the screen's) and not in a replay, which offers no new run. q on the card quits at once, as the
// hero's q does in play; closing the window ends the run after the frame, with the report.
TEST_F(PlayAgainTest, TheCardOfALiveRunTakesSpaceAndStillQuits) {
    resetShellGlobals(platform::ticks());
    buildRoster();
    gameState = statePlaying;
    testing_support::pushEvent(SDL_KEYDOWN, SDLK_SPACE);
    runFrame();
    EXPECT_FALSE(playAgainRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_SPACE);
    killHero(1000);
    SoundEngine::cancelGameOver(); // the game-over clock stands still from here
    using testing_support::keyEvent;
    EXPECT_EQ(shellCommandFor(keyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT), ShellScene::card),
              ShellCommand::fullscreen);
    const std::string recording = (run.path() / "run.rec").string();
    replay::Writer writer;
    ASSERT_TRUE(writer.open(recording, replay::Header{}));
    writer.frame(0, nullptr);
    writer.close();
    ASSERT_TRUE(replay::begin({.recordPath = "", .replayPath = recording, .headless = true}));
    EXPECT_FALSE(takeShellControl(keyEvent(SDL_KEYDOWN, SDLK_SPACE)));
    EXPECT_FALSE(playAgainRequested()) << "a replay offers no new run";
    replay::stop();
    EXPECT_TRUE(takeShellControl(keyEvent(SDL_KEYDOWN, SDLK_RETURN)));
    EXPECT_TRUE(playAgainRequested());
    clearPlayAgainRequest();
    testing_support::pushEvent(SDL_KEYDOWN, SDLK_q);
    EXPECT_EQ(runFrame(), stateQuit);
    EXPECT_TRUE(quitAtOnce);
    quitAtOnce = false;
    testing_support::pushEvent(SDL_QUIT);
    EXPECT_EQ(runFrame(), stateQuit);
    EXPECT_FALSE(quitAtOnce) << "the report follows";
}

// From the death on, the status bar keeps the card's figures: an enemy that finishes dying after
// the hero was not defeated by the run. The lettering's cells are the figures drawn.
TEST_F(PlayAgainTest, TheStatusBarKeepsTheCardsFiguresAfterTheDeath) {
    resetShellGlobals(0);
    buildRoster();
    gameState = statePlaying;
    killHero(1000);
    static std::vector<int> cells;
    SDL_Surface* strip = SDL_CreateRGBSurface(0, 256, 4, 32, 0, 0, 0, 0);
    spriteCatalogue[sprite::glyphStrip] = strip;
    setScreenBlitTaker([](SDL_Surface* picture, const SDL_Rect* source, const SDL_Rect&) {
        if (picture == spriteCatalogue[sprite::glyphStrip] && source != nullptr) {
            cells.push_back(source->x);
        }
        return false;
    });
    runFrame();
    const std::vector<int> before = cells;
    cells.clear();
    completedCount += 3;
    runFrame();
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(cells, before);
    setScreenBlitTaker(nullptr);
    spriteCatalogue[sprite::glyphStrip] = nullptr;
    SDL_FreeSurface(strip);
}

// A run that ends without a swing never rearms the sound's finished handler, so the jingle's mark
// outlives it: the next run must still play its own jingle.
TEST_F(PlayAgainTest, TheNextRunPlaysItsJingleAfterARunWithoutASwing) {
    resetShellGlobals(0);
    buildRoster();
    gameState = statePlaying;
    for (int death = 1; death <= 2; ++death) {
        SCOPED_TRACE(death);
        killHero(platform::ticks() + 1000);
        EXPECT_TRUE(SoundEngine::waitForGameOver());
        EXPECT_EQ(Mix_Playing(-1), 1) << "the jingle sounds";
        startNewRun();
    }
}

} // namespace
