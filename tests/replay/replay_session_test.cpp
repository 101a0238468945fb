// Recording a run through the frame loop and playing it back headless: every frame's state digest
// comes out the same, the recording carries the digest every check interval, and a replay whose
// state differs there is refused.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "replay/recording.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "shell/globals.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr int frames = 150;
// The clock wraps past 2^32 early in the run.
constexpr Uint32 firstFrame = 4294967000u;
// The machine's clock while replaying runs this far from the recorded run's, for the replay to
// pay no heed to.
constexpr Uint32 replayClockOffsetMs = 777;
// The end-of-run report comes this long after the last frame.
constexpr Uint32 reportAfterMs = 250;

struct ScriptedKey {
    int frame;
    Uint8 type;
    SDLKey key;
};

// Runs right, swings, jumps, runs up, goes underground.
constexpr ScriptedKey script[] = {
    {3, SDL_KEYDOWN, SDLK_RIGHT}, {25, SDL_KEYUP, SDLK_RIGHT},   {30, SDL_KEYDOWN, SDLK_SPACE},
    {31, SDL_KEYUP, SDLK_SPACE},  {60, SDL_KEYDOWN, SDLK_LCTRL}, {61, SDL_KEYUP, SDLK_LCTRL},
    {90, SDL_KEYDOWN, SDLK_UP},   {110, SDL_KEYUP, SDLK_UP},     {120, SDL_KEYDOWN, SDLK_2},
};

class ReplaySessionTest : public hero_world::HeroWorldFixture {
  protected:
    void TearDown() override {
        replay::stop();
        HeroWorldFixture::TearDown();
    }

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
            for (const ScriptedKey& press : script) {
                if (recording && press.frame == static_cast<int>(frame)) {
                    SDL_Event event{};
                    event.type = press.type;
                    event.key.keysym.sym = press.key;
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

    replay::Recording written;
    ASSERT_EQ(replay::load(recordingPath, written), "");
    std::vector<std::uint64_t> checks;
    for (const replay::Record& r : written.records) {
        if (r.kind == replay::Record::check) {
            checks.push_back(r.digest);
        }
    }
    const Uint32 interval = written.header.checkInterval;
    ASSERT_GT(interval, 0u);
    ASSERT_EQ(checks.size(), frames / interval);
    for (std::size_t check = 0; check < checks.size(); ++check) {
        EXPECT_EQ(checks[check], recorded[(check + 1) * interval]) << "check " << check;
    }
    std::ifstream in(recordingPath, std::ios::binary);
    std::string astray{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    astray.at(astray.find(std::string(reinterpret_cast<const char*>(&checks[0]), 8))) ^= 1;
    std::ofstream(astrayPath, std::ios::binary) << astray;
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the frame loop may have a helper thread
    EXPECT_EXIT(replayOf(astrayPath), testing::ExitedWithCode(1),
                "went another way than the recorded run by frame " + std::to_string(interval));

    EXPECT_EQ(replayOf(recordingPath), recorded);
    EXPECT_TRUE(replay::replayOver());
}

} // namespace
