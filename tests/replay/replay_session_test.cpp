// Recording a run through the frame loop and playing it back: every frame's state digest comes
// out the same, with a crowd large enough for the Crowd's helper thread to take part, and with
// the blits left out as a headless replay leaves them out.
#include "crowd/crowd.h"
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "platform/cores.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "shell/pause.h"
#include "sprites/sprite_catalogue.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int crowdSize = 300;
constexpr int frames = 150;
constexpr Uint32 firstFrame = 20000;

struct ScriptedKey {
    int frame;
    Uint8 type;
    SDLKey key;
};

// Runs right into the crowd, swings, jumps, runs up, lets go.
constexpr ScriptedKey script[] = {
    {3, SDL_KEYDOWN, SDLK_RIGHT},   {25, SDL_KEYUP, SDLK_RIGHT},   {30, SDL_KEYDOWN, SDLK_SPACE},
    {31, SDL_KEYUP, SDLK_SPACE},    {60, SDL_KEYDOWN, SDLK_LCTRL}, {61, SDL_KEYUP, SDLK_LCTRL},
    {90, SDL_KEYDOWN, SDLK_UP},     {110, SDL_KEYUP, SDLK_UP},     {120, SDL_KEYDOWN, SDLK_2},
    {12, SDL_KEYDOWN, SDLK_ESCAPE}, // a pause of pauseMs in the recorded run
};
constexpr Uint32 pauseMs = 2500;

class ReplaySessionTest : public hero_world::HeroWorldFixture {
  protected:
    void SetUp() override {
        HeroWorldFixture::SetUp();
        const std::filesystem::path file = pictures.path() / "enemy.bmp";
        testing_support::writeBmp24(file, 12, 30,
                                    std::vector<testing_support::Rgb>(360, {9, 9, 9}));
        for (int index = 52; index <= 80; ++index) {
            loadSprite(index, file.string(), spriteColourKey);
        }
    }
    void TearDown() override {
        replay::stop();
        HeroWorldFixture::TearDown();
    }

    // The same start every time: the crowd around the hero, the hero mid-street, full meters.
    void freshScene() {
        std::mt19937 random(11);
        std::uniform_real_distribution<double> nearHero(150.0, 650.0);
        std::uniform_real_distribution<double> street(150.0, 485.0);
        for (int slot = firstEnemySlot; slot < firstEnemySlot + crowdSize; ++slot) {
            delete pieces[slot];
            pieces[slot] = makeEnemy(slot);
            pieces[slot]->setPosition(Vec2(nearHero(random), street(random)));
            pieces[slot]->activate();
        }
        spawnCounter = pieceCount - (firstEnemySlot + crowdSize - 1);
        delete pieces[heroSlot];
        delete pieces[worldSlot];
        testing_support::setFrameClock(firstFrame - 20);
        hero = new player(Vec2(400.0, 400.0));
        world = new World(Vec2(0.0, 0.0));
        pieces[heroSlot] = hero;
        pieces[worldSlot] = world;
        completedCount = 0;
        frameEvent = SDL_Event{};
        lastFrameEndTick = firstFrame - 16;
        lastSpawnTick = firstFrame - 500;
        SDL_Event pending;
        while (SDL_PollEvent(&pending)) {
        }
    }

    // Runs the frames, feeding the script into SDL's queue when `typing`, and returns the digest
    // after each frame. Frames are 1 to 30 ms apart, plus any pause.
    std::vector<std::uint64_t> run(bool typing) {
        std::vector<std::uint64_t> digests;
        std::mt19937 random(3);
        Uint32 now = firstFrame;
        Uint32 paused = 0;
        for (int frame = 0; frame < frames; ++frame) {
            for (const ScriptedKey& press : script) {
                if (typing && press.frame == frame) {
                    SDL_Event event{};
                    event.type = press.type;
                    event.key.type = press.type;
                    event.key.keysym.sym = press.key;
                    SDL_PushEvent(&event);
                }
            }
            platform::setTestClock(now + paused);
            runFrame();
            digests.push_back(replay::stateDigest());
            if (pauseRequested() && beginPause()) {
                ++pauses;
                paused += pauseMs;
                platform::setTestClock(now + paused);
                SDL_Event resume{};
                resume.type = SDL_KEYDOWN;
                resume.key.keysym.sym = SDLK_PAUSE;
                handlePausedEvent(resume);
                endPause();
            }
            now += 1 + random() % 30;
        }
        return digests;
    }

    int pauses = 0;

    std::string recordingPath() const { return (pictures.path() / "run.rec").string(); }
};

// The recorded run pauses once; its replay has no pause and still goes the same way.
TEST_F(ReplaySessionTest, AReplayGivesTheSameStateAfterEveryFrameAsTheRecordedRun) {
    freshScene();
    replay::Options recording;
    recording.recordPath = recordingPath();
    replay::begin(recording);
    const std::vector<std::uint64_t> recorded = run(true);
    replay::stop();
    ASSERT_NE(recorded.front(), recorded.back());
    ASSERT_EQ(pauses, 1);

    freshScene();
    replay::Options playback;
    playback.replayPath = recordingPath();
    playback.headless = true;
    replay::begin(playback);
    const long helpedBefore = frameCrowd().helpedFrames();
    const std::vector<std::uint64_t> replayed = run(false);
    if (platform::usableCores() >= 2) {
        EXPECT_GT(frameCrowd().helpedFrames(), helpedBefore); // the helper thread took part
    }
    EXPECT_TRUE(replay::replayOver());
    replay::stop();
    ASSERT_EQ(replayed.size(), recorded.size());
    for (size_t frame = 0; frame < recorded.size(); ++frame) {
        ASSERT_EQ(replayed[frame], recorded[frame]) << "frame " << frame;
    }
}

} // namespace
