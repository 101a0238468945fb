// The pause on the test clock: game time stands still while paused, the pause keys never reach
// the pieces, a key pressed meanwhile reaches the first frame after, and a dying hero cannot
// pause.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "replay/session.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "shell/pause.h"
#include "shell/shell_controls.h"

namespace {

constexpr Uint32 pauseLength = 5000;

SDL_Event event(Uint8 type, SDLKey key = SDLK_UNKNOWN, Uint8 gain = 0) {
    SDL_Event made{};
    made.type = type;
    if (type == SDL_ACTIVEEVENT) {
        made.active.gain = gain;
        made.active.state = SDL_APPINPUTFOCUS;
    } else {
        made.key.keysym.sym = key;
    }
    return made;
}

class PauseTest : public hero_world::HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        SDL_Event pending;
        while (SDL_PollEvent(&pending)) {
        }
        lastFrameEndTick = hero_world::startTick - 16;
        lastSpawnTick = hero_world::startTick;
    }
    void TearDown() override {
        endPause();
        replay::stop();
        HeroWorldFixture::TearDown();
    }
    void frameAt(Uint32 now, SDL_Event arriving = event(SDL_NOEVENT)) {
        if (arriving.type != SDL_NOEVENT) {
            SDL_PushEvent(&arriving);
        }
        platform::setTestClock(now);
        runFrame();
    }
};

TEST_F(PauseTest, GameTimeStandsStillWhilePausedAndThePauseKeysNeverReachTheHero) {
    frameAt(10000, event(SDL_KEYDOWN, SDLK_RIGHT));
    frameAt(10016);
    frameAt(10032, event(SDL_KEYDOWN, SDLK_ESCAPE));
    ASSERT_TRUE(pauseRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT) << "Esc is the shell's, not the frame's";

    ASSERT_TRUE(beginPause());
    platform::advanceTestClock(pauseLength);
    EXPECT_FALSE(handlePausedEvent(event(SDL_KEYUP, SDLK_SPACE)));
    EXPECT_FALSE(handlePausedEvent(event(SDL_ACTIVEEVENT, SDLK_UNKNOWN, 1)));
    EXPECT_TRUE(handlePausedEvent(event(SDL_KEYDOWN, SDLK_PAUSE)));
    endPause();

    const double before = hero->position.x;
    const double healthBefore = world->health;
    const int releasedBefore = newestReleasedSlot();
    frameAt(10048 + pauseLength);
    EXPECT_EQ(frameTick, 10048u) << "the paused time is left out of the game's clock";
    EXPECT_EQ(replay::reportReading(), 10048u) << "and out of the seconds survived";
    EXPECT_EQ(newestReleasedSlot(), releasedBefore);
    EXPECT_EQ(world->health, healthBefore);
    EXPECT_EQ(hero->position.x, before + 16.0 * hero->motion.speed / 1000.0);
    EXPECT_EQ(frameEvent.type, SDL_KEYUP) << "the key let go while paused is the next event";
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_SPACE);
}

TEST_F(PauseTest, LosingTheFocusPausesAndClosingTheWindowEndsPauseAndRun) {
    frameAt(10000, event(SDL_ACTIVEEVENT));
    ASSERT_TRUE(pauseRequested());
    ASSERT_TRUE(beginPause());
    EXPECT_TRUE(handlePausedEvent(event(SDL_QUIT)));
    endPause();
    frameAt(10016);
    EXPECT_EQ(gameState, stateQuit);
}

TEST_F(PauseTest, NoPauseOnceTheHeroHasDied) {
    hero->kill();
    requestPause();
    EXPECT_FALSE(beginPause());
    EXPECT_FALSE(pauseRequested());
}

// Which polled events are the shell's and never the frame's: the pause and screen keys, both
// pressed and let go, and the focus lost; what each pressed one asks for.
TEST_F(PauseTest, TheShellTakesItsOwnKeysAndTheFocusAndLeavesTheRest) {
    const struct {
        SDL_Event event;
        SDLMod mod;
        bool taken, pauses, fullscreen;
    } cases[] = {{event(SDL_KEYDOWN, SDLK_ESCAPE), KMOD_NONE, true, true, false},
                 {event(SDL_KEYDOWN, SDLK_PAUSE), KMOD_NONE, true, true, false},
                 {event(SDL_ACTIVEEVENT), KMOD_NONE, true, true, false},
                 {event(SDL_KEYDOWN, SDLK_F11), KMOD_NONE, true, false, true},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LALT, true, false, true},
                 {event(SDL_KEYDOWN, SDLK_KP_ENTER), KMOD_RALT, true, false, true},
                 {event(SDL_KEYUP, SDLK_ESCAPE), KMOD_NONE, true, false, false},
                 {event(SDL_KEYUP, SDLK_PAUSE), KMOD_NONE, true, false, false},
                 {event(SDL_KEYUP, SDLK_F11), KMOD_NONE, true, false, false},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_NONE, false, false, false},
                 {event(SDL_KEYDOWN, SDLK_RETURN), KMOD_LCTRL, false, false, false},
                 {event(SDL_KEYUP, SDLK_RETURN), KMOD_LALT, false, false, false},
                 {event(SDL_ACTIVEEVENT, SDLK_UNKNOWN, 1), KMOD_NONE, false, false, false},
                 {event(SDL_KEYDOWN, SDLK_SPACE), KMOD_NONE, false, false, false},
                 {event(SDL_KEYUP, SDLK_RIGHT), KMOD_NONE, false, false, false}};
    bool fullscreen = (screen->flags & SDL_FULLSCREEN) != 0;
    for (const auto& test : cases) {
        SDL_Event polled = test.event;
        polled.key.keysym.mod = test.mod;
        SCOPED_TRACE(std::to_string(polled.type) + " " + SDL_GetKeyName(polled.key.keysym.sym));
        EXPECT_EQ(isFullscreenToggle(polled), test.fullscreen);
        EXPECT_EQ(takeShellControl(polled), test.taken);
        fullscreen = fullscreen != test.fullscreen;
        EXPECT_EQ((screen->flags & SDL_FULLSCREEN) != 0, fullscreen);
        EXPECT_EQ(pauseRequested(), test.pauses);
        if (pauseRequested() && beginPause()) {
            endPause();
        }
    }
    if (fullscreen) {
        toggleFullscreen();
    }
}

} // namespace
