// The frame loop: the cap, the release schedule, the state loop's end and report; the pause and the
// shell's keys on the test clock (the pad's Start: the gamepad test; moves: golden replays).
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/process_guard.h"
#include "render/screen_blit.h"
#include "replay/session.h"
#include "shell/frame_pacer.h"
#include "shell/game.h"
#include "shell/pause.h"
#include "shell/pause_request.h"
#include "shell/player_settings.h"
#include "shell/run_results.h"
#include "shell/shell_controls.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <algorithm>
#include <sstream>

namespace {

using namespace testing_support;

constexpr Uint32 pauseLength = 5000;

// The window losing (gain 0) or gaining the keyboard's focus, or another kind of focus.
SDL_Event focus(Uint8 gain, Uint8 kind = SDL_APPINPUTFOCUS) {
    SDL_Event made{};
    made.active = {SDL_ACTIVEEVENT, gain, kind};
    return made;
}

bool fullscreen() {
    return (screen->flags & SDL_FULLSCREEN) != 0;
}

class IdlePiece : public GamePiece { // stands in an enemy slot, doing nothing but being released
  public:
    void update() override {}
};

// Frames start no closer than the cap allows, when due, and a slow one is not made up for.
TEST(FramePacerTest, FramesStartOnScheduleAndASlowOneStartsItAfresh) {
    const struct {
        int fps;
        Uint32 start;
        std::vector<Uint32> work, starts;
    } cases[] = {{60, 1000, {5, 5, 5, 5, 5, 5, 5}, {1000, 1016, 1033, 1050, 1066, 1083, 1100}},
                 {100, 0, {2, 2, 55, 2, 2}, {0, 10, 20, 75, 85}},
                 {0, 500, {1, 1, 1}, {500, 501, 502}}};
    for (const auto& test : cases) {
        platform::setTestClock(test.start);
        FramePacer pacer(test.fps);
        std::vector<Uint32> starts;
        for (Uint32 ms : test.work) {
            pacer.waitForFrameStart();
            starts.push_back(platform::ticks());
            platform::advanceTestClock(ms);
        }
        EXPECT_EQ(starts, test.starts) << test.fps << " a second";
    }
}

// The shell's readings as a frame before startTick left them; no pause or banner after.
class FrameLoopTest : public hero_world::HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        lastFrameEndTick = hero_world::startTick - 16;
        lastSpawnTick = hero_world::startTick;
        forgetRunResults();
    }
    void TearDown() override {
        endPause();
        releasePauseBanner();
        replay::stop();
        HeroWorldFixture::TearDown();
    }
    void frameAt(Uint32 now, SDL_Event arriving = keyEvent(SDL_NOEVENT)) {
        if (arriving.type != SDL_NOEVENT) {
            SDL_PushEvent(&arriving);
        }
        platform::setTestClock(now);
        runFrame();
    }
};

using PauseTest = FrameLoopTest;

TEST_F(FrameLoopTest, OneReleaseAtMostPerFrameOnceTheShrinkingIntervalHasPassed) {
    for (int slot = firstEnemySlot; slot < 12; ++slot) {
        pieces[slot] = new IdlePiece;
        pieces[slot]->kill();
    }
    const struct {
        int spawnCounter;
        Uint32 lastSpawn, now;
        int spawnCounterAfter;
    } cases[] = {{pieceCount - 1, 0, 998, pieceCount - 1},
                 {pieceCount - 1, 0, 999, pieceCount - 2},
                 {pieceCount - 2, 100000, 100001, pieceCount - 2},
                 {pieceCount - 2, 100000, 100716, pieceCount - 3},
                 {pieceCount - 3, 400000, 400000, pieceCount - 3},
                 {pieceCount - 3, 400000, 400001, pieceCount - 4},
                 {3, 0, 2000, 2},
                 {2, 0, 2000, 1},
                 {1, 0, 2000, 1}};
    for (const auto& test : cases) {
        spawnCounter = test.spawnCounter;
        lastSpawnTick = test.lastSpawn;
        frameAt(test.now);
        EXPECT_EQ(spawnCounter, test.spawnCounterAfter) << test.now;
        const bool released = test.spawnCounterAfter < test.spawnCounter;
        EXPECT_EQ(lastSpawnTick, released || test.spawnCounter == 1 ? test.now : test.lastSpawn);
        if (released && newestReleasedSlot() < 12) {
            EXPECT_TRUE(pieces[newestReleasedSlot()]->isAlive()) << test.now;
        }
    }
}

// Closing the window ends the loop after the frame; the report reads the game's clock, truncated,
// with the roster gone. A dying hero takes no input: a signal ends it.
TEST_F(FrameLoopTest, ClosingTheWindowOrASignalEndsTheLoopAndTheReportFollows) {
    ASSERT_EQ(pushEvent(SDL_QUIT), 0);
    gameState = statePlaying;
    completedCount = 150;
    platform::setTestClock(83456);
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    hero->kill();
    gameState = statePlaying;
    platform::requestEnd(); // also spares the closing pause its wait for Enter
    stateLoop();
    EXPECT_EQ(gameState, stateQuit);
    std::ostringstream report;
    finishRun(report);
    platform::forgetEndRequest();
    EXPECT_EQ(report.str(),
              "You completed 1 of the endurance\nYou survived for 83 seconds\nGAME OVER\n");
    EXPECT_EQ(std::count(std::begin(pieces), std::end(pieces), nullptr), pieceCount + 1);
    world = nullptr; // destroyed with the roster
    hero = nullptr;
}

TEST_F(PauseTest, GameTimeStandsStillWhilePausedAndNoPauseOnceTheHeroHasDied) {
    frameAt(10000, keyEvent(SDL_KEYDOWN, SDLK_RIGHT));
    frameAt(10016);
    frameAt(10032, keyEvent(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_TRUE(pauseRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT) << "Esc is the shell's, not the frame's";
    // The banner shows centred over the last frame, its key colour letting the frame through.
    std::filesystem::create_directory(pictures.path() / "images");
    writeBmp24(pictures.path() / "images/paused.bmp", 2, 1, {{0, 30, 255}, {9, 9, 9}});
    WorkingFolder inside(pictures.path());
    loadPauseBanner();
    const Rgb under = screenColourAt(399, 299);
    ASSERT_TRUE(beginPause());
    EXPECT_TRUE(screenColourAt(399, 299) == under);
    EXPECT_TRUE(screenColourAt(400, 299) == (Rgb{9, 9, 9}));
    SDL_FillRect(screen, nullptr, 0); // an uncovered window shows nothing until drawn again
    EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_VIDEOEXPOSE)));
    EXPECT_TRUE(screenColourAt(400, 299) == (Rgb{9, 9, 9}));
    platform::advanceTestClock(pauseLength);
    endPause();
    const double before = hero->position.x;
    const double healthBefore = world->health;
    const int releasedBefore = newestReleasedSlot();
    frameAt(10048 + pauseLength);
    EXPECT_EQ(frameTick, 10048u) << "the paused time is left out of the game's clock";
    EXPECT_EQ(runGameTime(), 48u) << "and out of the clock on the screen";
    EXPECT_EQ(replay::reportReading(), 10048u) << "and out of the seconds survived";
    EXPECT_EQ(newestReleasedSlot(), releasedBefore);
    EXPECT_EQ(world->health, healthBefore);
    EXPECT_EQ(hero->position.x, before + 16.0 * hero->motion.speed / 1000.0);
    hero->kill();
    requestPause();
    EXPECT_FALSE(beginPause()) << "no pause once the hero has died";
    EXPECT_FALSE(pauseRequested());
}

// Right held into a pause and let go during it: the release reaches the game after, the hero stops,
// and the pause key's own release never stands in for it (Pause and the pad's Start: the table).
// Left pressed with the resuming Esc waits behind it in the queue, and still comes after the
// release.
TEST_F(PauseTest, AKeyLetGoWhilePausedStopsTheHeroAfterItInTheOrderTheyCame) {
    const Uint32 start = platform::ticks() + 1000;
    frameAt(start, keyEvent(SDL_KEYDOWN, SDLK_RIGHT));
    frameAt(start + 16, keyEvent(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_TRUE(pauseRequested());
    ASSERT_TRUE(beginPause());
    EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_KEYUP, SDLK_RIGHT)));
    EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_KEYUP, SDLK_ESCAPE)));
    ASSERT_EQ(pushEvent(SDL_KEYDOWN, SDLK_LEFT), 0);
    EXPECT_TRUE(handlePausedEvent(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE)));
    endPause();
    frameAt(start + 32);
    EXPECT_EQ(frameEvent.type, SDL_KEYUP);
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT);
    EXPECT_EQ(hero->motion.vx, 0.0) << "the hero runs on with no key held";
    frameAt(start + 48);
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_LEFT);
    EXPECT_LT(hero->motion.vx, 0.0);
}

// Past the room for the events kept while paused, the oldest give way; the rest follow in order.
TEST_F(PauseTest, KeyEventsPastTheRoomKeptWhilePausedDropTheOldest) {
    constexpr int arrived = 40, room = 32;
    ASSERT_TRUE(beginPause());
    for (int key = 0; key < arrived; ++key) {
        EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_KEYUP, SDLKey(SDLK_WORLD_0 + key))));
    }
    endPause();
    for (int key = arrived - room; key < arrived; ++key) {
        SDL_Event next{};
        ASSERT_EQ(SDL_PollEvent(&next), 1);
        EXPECT_EQ(next.key.keysym.sym, SDLK_WORLD_0 + key);
    }
}

// The volume keys step the level by a tenth within its range and m mutes, in play (what play
// changed is saved: PlayerSettingsTest).
TEST_F(PauseTest, TheVolumeKeysStepTheLevelWithinItsRangeAndMSwitchesMute) {
    const TemporaryFolder config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    withPlayerSettings(RunOptions{});
    const struct {
        SDLKey key;
        int presses, volume;
        bool muted;
    } steps[] = {{SDLK_EQUALS, 1, 100, false}, {SDLK_MINUS, 3, 70, false},
                 {SDLK_KP_MINUS, 8, 0, false}, {SDLK_KP_PLUS, 2, 20, false},
                 {SDLK_m, 1, 20, true},        {SDLK_m, 1, 20, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(SDL_GetKeyName(step.key));
        for (int press = 0; press < step.presses; ++press) {
            EXPECT_TRUE(takeShellControl(keyEvent(SDL_KEYDOWN, step.key)));
            EXPECT_TRUE(takeShellControl(keyEvent(SDL_KEYUP, step.key)));
        }
        EXPECT_EQ(playerSettings().volume, step.volume);
        EXPECT_EQ(playerSettings().mute, step.muted);
    }
    unsetenv("XDG_CONFIG_HOME");
}

// A volume key while paused shows the new level over the paused frame at once.
TEST_F(PauseTest, AVolumeKeyWhilePausedShowsTheNewLevel) {
    static int letters = 0;
    SDL_Surface* strip = SDL_CreateRGBSurface(0, 256, 4, 32, 0, 0, 0, 0);
    spriteCatalogue[sprite::glyphStrip] = strip;
    setScreenBlitTaker([](SDL_Surface* picture, const SDL_Rect*, const SDL_Rect&) {
        letters += picture == spriteCatalogue[sprite::glyphStrip] ? 1 : 0;
        return false;
    });
    ASSERT_TRUE(beginPause());
    EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_KEYDOWN, SDLK_MINUS)));
    EXPECT_GT(letters, 0);
    setScreenBlitTaker(nullptr);
    spriteCatalogue[sprite::glyphStrip] = nullptr;
    SDL_FreeSurface(strip);
}

// Each event in play and while paused: left to the shell by the frame's poll, asking for a pause,
// switching the screen (paused too), ending a pause, kept for the first frame after a pause.
TEST_F(PauseTest, TheShellTakesItsOwnKeysInPlayAndWhilePausedAndLeavesTheRest) {
    const struct {
        SDL_Event event;
        bool taken, pauses, switches, resumes, kept;
    } cases[] = {{keyEvent(SDL_KEYDOWN, SDLK_ESCAPE), 1, 1, 0, 1, 0},
                 {keyEvent(SDL_KEYDOWN, SDLK_PAUSE), 1, 1, 0, 1, 0},
                 {focus(0), 1, 1, 0, 0, 0},
                 {keyEvent(SDL_KEYDOWN, SDLK_F11), 1, 0, 1, 0, 0},
                 {keyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT), 1, 0, 1, 0, 0},
                 {keyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT), 1, 0, 1, 0, 0},
                 {keyEvent(SDL_KEYUP, SDLK_ESCAPE), 1, 0, 0, 0, 0},
                 {keyEvent(SDL_KEYUP, SDLK_PAUSE), 1, 0, 0, 0, 0},
                 {keyEvent(SDL_KEYUP, SDLK_F11), 1, 0, 0, 0, 0},
                 {keyEvent(SDL_KEYDOWN, SDLK_RETURN), 0, 0, 0, 0, 1},
                 {keyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LCTRL), 0, 0, 0, 0, 1},
                 {keyEvent(SDL_KEYUP, SDLK_RETURN, KMOD_LALT), 0, 0, 0, 0, 1},
                 {focus(1), 0, 0, 0, 0, 0},
                 {focus(0, SDL_APPMOUSEFOCUS), 0, 0, 0, 0, 0},
                 {keyEvent(SDL_QUIT), 0, 0, 0, 1, 1}};
    for (const auto& test : cases) {
        const SDL_Event& arrived = test.event;
        SCOPED_TRACE(std::to_string(arrived.type) + " " + SDL_GetKeyName(arrived.key.keysym.sym));
        const bool wasFullscreen = fullscreen();
        EXPECT_EQ(takeShellControl(arrived), test.taken);
        EXPECT_EQ(pauseRequested(), test.pauses);
        EXPECT_EQ(fullscreen(), wasFullscreen != test.switches);
        ASSERT_TRUE(beginPause());
        EXPECT_EQ(handlePausedEvent(arrived), test.resumes);
        EXPECT_EQ(fullscreen(), wasFullscreen) << "switched back while paused";
        endPause();
        SDL_Event next{};
        // A switch of the screen queues a resize and an expose of its own.
        while (SDL_PollEvent(&next) &&
               (next.type == SDL_VIDEORESIZE || next.type == SDL_VIDEOEXPOSE)) {
            next = {};
        }
        EXPECT_EQ(next.type, test.kept ? arrived.type : Uint8{SDL_NOEVENT});
        if (next.type == SDL_KEYDOWN || next.type == SDL_KEYUP) {
            EXPECT_EQ(next.key.keysym.sym, arrived.key.keysym.sym);
        }
    }
}

} // namespace
