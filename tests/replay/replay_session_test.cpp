// Recording a run through the frame loop and playing it back headless: every frame's state digest
// comes out the same, the recording carries the digest every check interval, and a replay whose
// state differs there is refused. Played back in a window, it keeps the recorded pace and
// closing the window ends it.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "render/screen_blit.h"
#include "replay/recording.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "state/globals.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <tuple>

namespace {

constexpr int frames = 150;
constexpr Uint32 firstFrame = 20000;
// The machine's clock runs this far off while replaying: the replay must not read it.
constexpr Uint32 replayClockOffsetMs = 777;
// The end-of-run report comes this long after the last frame.
constexpr Uint32 reportAfterMs = 250;

// At frame, key event: runs right, swings, jumps, runs up, goes underground.
constexpr std::tuple<Uint32, Uint8, SDLKey> script[] = {
    {0, SDL_KEYDOWN, SDLK_RIGHT}, {25, SDL_KEYUP, SDLK_RIGHT},   {30, SDL_KEYDOWN, SDLK_SPACE},
    {31, SDL_KEYUP, SDLK_SPACE},  {60, SDL_KEYDOWN, SDLK_LCTRL}, {61, SDL_KEYUP, SDLK_LCTRL},
    {90, SDL_KEYDOWN, SDLK_UP},   {110, SDL_KEYUP, SDLK_UP},     {120, SDL_KEYDOWN, SDLK_2},
};

class ReplaySessionTest : public hero_world::HeroWorldFixture {
  protected:
    // Runs the frames, 1 to 30 ms apart, from the same start every time (the hero mid-street,
    // full meters), feeding the script into SDL's queue when `recording`. Returns the clock
    // reading the pieces are built at, the state digest after each frame, the report's reading.
    std::vector<std::uint64_t> run(bool recording) {
        const Uint32 offset = recording ? 0 : replayClockOffsetMs;
        platform::setTestClock(firstFrame - 20 + offset);
        frameTick = replay::rosterReading();
        std::vector<std::uint64_t> trace{frameTick};
        delete pieces[heroSlot];
        delete pieces[worldSlot];
        pieces[heroSlot] = hero = new player(Vec2(400.0, 400.0));
        pieces[worldSlot] = world = new World(Vec2(0.0, 0.0));
        frameEvent = SDL_Event{};
        spawnCounter = pieceCount - 1;
        completedCount = 0;
        std::mt19937 random(3);
        for (Uint32 frame = 0, now = firstFrame; frame < frames;
             ++frame, now += 1 + random() % 30) {
            for (const auto& [at, type, key] : script) {
                if (recording && at == frame) {
                    SDL_Event event{};
                    event.type = type;
                    event.key.keysym.sym = key;
                    SDL_PushEvent(&event);
                }
            }
            platform::setTestClock(now + offset);
            runFrame();
            trace.push_back(replay::stateDigest());
        }
        platform::advanceTestClock(reportAfterMs);
        trace.push_back(replay::reportReading());
        return trace;
    }

    std::vector<std::uint64_t> replayOf(const std::string& path) {
        replay::Options playback;
        playback.replayPath = path;
        playback.headless = true;
        replay::begin(playback);
        return run(false);
    }

    const std::string recordingPath = (pictures.path() / "run.rec").string();
    const std::string astrayPath = (pictures.path() / "astray.rec").string();
};

TEST_F(ReplaySessionTest, AReplayGivesTheSameStateAfterEveryFrameAsTheRecordedRun) {
    lastFrameEndTick = firstFrame - 16; // the shell's readings before the first frame, which a
    lastSpawnTick = firstFrame - 500;   // replay takes from the recording
    replay::Options recording;
    recording.recordPath = recordingPath;
    replay::begin(recording);
    const std::vector<std::uint64_t> recorded = run(true);
    replay::stop();
    ASSERT_NE(recorded[1], recorded[frames]);

    // The recorder leaves the state digest in the file every check interval, and the replays
    // below verify it: a replay whose state differs there is refused.
    replay::Recording written;
    ASSERT_EQ(replay::load(recordingPath, written), "");
    const Uint32 interval = written.header.checkInterval;
    std::string astray = testing_support::contentsOf(recordingPath);
    const std::string firstCheck(reinterpret_cast<const char*>(&recorded[interval]), 8);
    astray.at(astray.find(firstCheck)) ^= 1;
    std::ofstream(astrayPath, std::ios::binary) << astray;
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the frame loop may have a helper thread
    EXPECT_EXIT(replayOf(astrayPath), testing::ExitedWithCode(1),
                "went another way than the recorded run by frame " + std::to_string(interval));

    EXPECT_EQ(replayOf(recordingPath), recorded);
    EXPECT_TRUE(replay::replayOver());
    replay::stop();
    EXPECT_FALSE(screenBlitsSkipped()) << "the headless replay's blits stay off after it";

    // Replayed in a window, each frame waits until as much time has passed as in the recorded
    // run, and the run ends at the frame where the player closes that window.
    std::vector<Uint32> recordedTicks;
    for (const replay::Record& record : written.records) {
        if (record.kind == replay::Record::frame) {
            recordedTicks.push_back(record.tick);
        }
    }
    replay::Options windowed;
    windowed.replayPath = recordingPath;
    replay::begin(windowed);
    const Uint32 start = platform::ticks();
    for (int frame = 0; frame < 3; ++frame) {
        runFrame();
    }
    EXPECT_EQ(platform::ticks() - start, recordedTicks.at(2) - recordedTicks.at(0));
    EXPECT_FALSE(replay::replayOver());
    SDL_Event closing{};
    closing.type = SDL_QUIT;
    SDL_PushEvent(&closing);
    runFrame();
    EXPECT_TRUE(replay::replayOver());
    replay::stop();
}

} // namespace
