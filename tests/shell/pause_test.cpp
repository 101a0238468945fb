// The pause on the test clock: game time stands still while paused, the pause keys never reach
// the pieces, a key pressed meanwhile reaches the first frame after, and a dying hero cannot
// pause.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "replay/session.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "shell/pause.h"

#include <gtest/gtest.h>

namespace {

constexpr Uint32 pauseLength = 5000;

SDL_Event keyEvent(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = key;
    return event;
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
    void frameAt(Uint32 now, const SDL_Event* arriving = nullptr) {
        if (arriving != nullptr) {
            SDL_Event copy = *arriving;
            SDL_PushEvent(&copy);
        }
        platform::setTestClock(now);
        runFrame();
    }
};

TEST_F(PauseTest, GameTimeStandsStillWhilePausedAndThePauseKeysNeverReachTheHero) {
    const SDL_Event right = keyEvent(SDL_KEYDOWN, SDLK_RIGHT);
    const SDL_Event escape = keyEvent(SDL_KEYDOWN, SDLK_ESCAPE);
    frameAt(10000, &right);
    frameAt(10016);
    frameAt(10032, &escape);
    ASSERT_TRUE(pauseRequested());
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_RIGHT) << "Esc is the shell's, not the frame's";

    ASSERT_TRUE(beginPause());
    platform::advanceTestClock(pauseLength);
    EXPECT_FALSE(handlePausedEvent(keyEvent(SDL_KEYUP, SDLK_SPACE)));
    EXPECT_TRUE(handlePausedEvent(keyEvent(SDL_KEYDOWN, SDLK_PAUSE)));
    endPause();

    const double before = hero->position.x;
    const double healthBefore = world->health;
    const int releasedBefore = newestReleasedSlot();
    frameAt(10048 + pauseLength);
    EXPECT_EQ(frameTick, 10048u) << "the paused time is left out of the game's clock";
    EXPECT_EQ(replay::reportReading(), 10048u) << "and out of the seconds survived";
    EXPECT_EQ(lastFrameEndTick, 10048u);
    EXPECT_EQ(newestReleasedSlot(), releasedBefore);
    EXPECT_EQ(world->health, healthBefore);
    // The hero runs on by one frame's time, not by the pause's.
    EXPECT_EQ(hero->position.x, before + 16.0 * hero->motion.speed / 1000.0);
    // The key let go while paused is the first frame's event.
    EXPECT_EQ(frameEvent.type, SDL_KEYUP);
    EXPECT_EQ(frameEvent.key.keysym.sym, SDLK_SPACE);
}

TEST_F(PauseTest, LosingTheFocusPausesAndOnlyAKeyResumes) {
    SDL_Event focusLost{};
    focusLost.type = SDL_ACTIVEEVENT;
    focusLost.active.gain = 0;
    focusLost.active.state = SDL_APPINPUTFOCUS;
    SDL_Event focusRegained = focusLost;
    focusRegained.active.gain = 1;
    frameAt(10000, &focusLost);
    ASSERT_TRUE(pauseRequested());
    ASSERT_TRUE(beginPause());
    EXPECT_FALSE(handlePausedEvent(focusRegained));
    SDL_Event closing{};
    closing.type = SDL_QUIT;
    EXPECT_TRUE(handlePausedEvent(closing)) << "closing the window ends the pause";
    endPause();
    frameAt(10016);
    EXPECT_EQ(gameState, stateQuit) << "and reaches the frame after it, which ends the run";
}

TEST_F(PauseTest, NoPauseOnceTheHeroHasDied) {
    hero->kill();
    requestPause();
    EXPECT_FALSE(beginPause());
    EXPECT_FALSE(pauseRequested());
}

} // namespace
