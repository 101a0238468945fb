// The recording format: a file that stops growing keeps every whole record, and damage is refused
// with its reason; a run recorded through the frame loop, replayed headless and in a window.
#include "pieces/hero_world_fixture.h"
#include "platform/clock.h"
#include "render/screen_blit.h"
#include "replay/recording.h"
#include "replay/session.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "state/globals.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <tuple>

namespace {

constexpr int sessionFrames = 150;
constexpr Uint32 firstFrame = 20000;
constexpr Uint32 replayClockOffsetMs = 777; // the replay must never read the machine's clock
constexpr Uint32 reportAfterMs = 250; // the end-of-run report comes this long after the last frame

// At frame, key event: runs right, swings, jumps, runs up, goes underground.
constexpr std::tuple<Uint32, Uint8, SDLKey> script[] = {
    {0, SDL_KEYDOWN, SDLK_RIGHT}, {25, SDL_KEYUP, SDLK_RIGHT},   {30, SDL_KEYDOWN, SDLK_SPACE},
    {31, SDL_KEYUP, SDLK_SPACE},  {60, SDL_KEYDOWN, SDLK_LCTRL}, {61, SDL_KEYUP, SDLK_LCTRL},
    {90, SDL_KEYDOWN, SDLK_UP},   {110, SDL_KEYUP, SDLK_UP},     {120, SDL_KEYDOWN, SDLK_2},
};

using replay::Recording;

// `frameCount` frames 1 to 40 ms apart (every 50th 70 s) across the clock's wrap, by the game's
// writer, events with every field set now and then, a check every 8. Returns the writer's failure.
std::string writeRun(const std::filesystem::path& file, int frameCount) {
    replay::Writer writer;
    EXPECT_TRUE(writer.open(file.string(), {"test", 8, 4294967000u, 4294967100u}));
    writer.roster(4294967050u);
    std::mt19937 random(1);
    const SDLKey keys[] = {SDLK_LEFT, SDLK_SPACE, SDLK_LCTRL, SDLK_q, SDLK_KP8, SDLK_2};
    const Uint8 types[] = {SDL_KEYDOWN, SDL_KEYUP, SDL_ACTIVEEVENT, SDL_QUIT};
    Uint32 tick = 4294967100u;
    for (int frame = 1; frame <= frameCount; ++frame) {
        tick += frame % 50 == 0 ? 70000 : 1 + random() % 40;
        SDL_Event event{};
        event.key = {types[random() % 4], 0, 1, {113, keys[random() % 6], KMOD_LSHIFT, 0x263a}};
        writer.frame(tick, random() % 5 == 0 ? &event : nullptr);
        if (frame % 8 == 0) {
            writer.check(0x0123456789abcdefULL * static_cast<Uint64>(frame));
        }
    }
    writer.end(tick + 3);
    writer.close();
    return writer.failure();
}

// The lengths at which the bytes read as a whole recording: after the header and every record.
std::vector<std::size_t> wholeLengths(const std::vector<unsigned char>& bytes) {
    std::vector<std::size_t> lengths;
    for (std::size_t length = 1; length <= bytes.size(); ++length) {
        Recording ignored;
        if (replay::parse({bytes.begin(), bytes.begin() + static_cast<long>(length)}, ignored)
                .empty()) {
            lengths.push_back(length);
        }
    }
    return lengths;
}

std::vector<unsigned char> bytesOf(const std::filesystem::path& file) {
    const std::string bytes = testing_support::contentsOf(file);
    return {bytes.begin(), bytes.end()};
}

TEST(RecordingTest, AFileThatStopsGrowingKeepsEveryWholeRecordThatReachedIt) {
    constexpr int frames = 400;
    const testing_support::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "run.rec";
    writeRun(folder.path() / "whole.rec", frames);
    const std::vector<unsigned char> whole = bytesOf(folder.path() / "whole.rec");
    const std::vector<std::size_t> readable = wholeLengths(whole);
    // The header, the roster, every frame, every check, the end.
    ASSERT_EQ(readable.size(), 1 + 1 + frames + frames / 8 + 1u);
    Recording read;
    ASSERT_EQ(replay::parse(whole, read), "");
    EXPECT_EQ(read.header.gameVersion, "test");
    // Nothing at all, inside the magic, inside the header, right after it, inside the first
    // block, across later blocks, one byte short of the whole file, just enough.
    const std::size_t head = readable.front();
    for (std::size_t limit :
         {std::size_t{0}, std::size_t{7}, head - 2, head, head + 5, whole.size() / 3,
          whole.size() / 2 + 1, whole.size() - 1, whole.size()}) {
        SCOPED_TRACE("limit " + std::to_string(limit) + " of " + std::to_string(whole.size()));
        std::string failure;
        {
            const testing_support::FileSizeLimit disk(limit);
            failure = writeRun(file, frames);
        }
        const std::vector<unsigned char> kept = bytesOf(file);
        const auto fits = std::upper_bound(readable.begin(), readable.end(), limit);
        EXPECT_EQ(kept.size(), fits == readable.begin() ? 0 : *(fits - 1));
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), whole.begin()));
        EXPECT_EQ(failure, limit >= whole.size() ? "" : "File too large");
    }
}

// The damage each rule of the reader is there for (the real game's damage: tests/errors).
TEST(RecordingTest, DamagedFilesAreRefusedWithTheirReason) {
    const testing_support::TemporaryFolder folder;
    writeRun(folder.path() / "run.rec", 0);
    const std::vector<unsigned char> good = bytesOf(folder.path() / "run.rec");
    const std::size_t afterMagic = 16;
    const std::size_t afterHeader = wholeLengths(good).front();
    auto after = [&](std::size_t length, std::vector<unsigned char> damage) {
        damage.insert(damage.begin(), good.begin(), good.begin() + static_cast<long>(length));
        return damage;
    };
    const struct {
        std::vector<unsigned char> bytes;
        const char* reason;
    } cases[] = {
        {after(afterMagic, {}), "truncated in the header"},
        // A number takes at most five bytes and 32 bits, however it is padded.
        {after(afterMagic, {0x81, 0x80, 0x80, 0x80, 0x80, 0x00}), "a number is out of range"},
        {after(afterMagic, {0x80, 0x80, 0x80, 0x80, 0x10}), "a number is out of range"},
        {after(afterMagic, {0xff, 0xff, 0xff, 0xff, 0x0f}), "format version 4294967295,"},
        {after(afterHeader, {0x7f}), "damaged recording: unknown record at frame 1"},
        {after(afterHeader, {0x04, 0x00, 0x04, 0x00}), "damaged recording: a second start of"},
        // A key press of SDLK_LAST, the first key past the game's.
        {after(afterHeader, {0x01, 0x01, SDL_KEYDOWN, 1, 0, 0xc3, 0x02, 0, 0}),
         "a key out of range at frame 1"},
        // Modifiers past SDLMod's 16 bits.
        {after(afterHeader, {0x01, 0x01, SDL_KEYDOWN, 1, 0, 0x20, 0x80, 0x80, 0x04, 0}),
         "a key out of range at frame 1"},
    };
    for (const auto& c : cases) {
        Recording read;
        EXPECT_NE(replay::parse(c.bytes, read).find(c.reason), std::string::npos) << c.reason;
    }
    Recording check; // undamaged, a check is its tag and the digest in eight bytes, lowest first
    ASSERT_EQ(replay::parse(after(afterHeader, {0x02, 1, 2, 3, 4, 5, 6, 7, 8}), check), "");
    EXPECT_EQ(check.records.at(0).digest, 0x0807060504030201u);
}

class ReplaySessionTest : public hero_world::HeroWorldFixture {
  protected:
    // Runs the frames, 1 to 30 ms apart, from the same start each time, pushing the script when
    // `recording`; returns the roster's reading, each frame's digest and the report's reading.
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
        for (Uint32 frame = 0, now = firstFrame; frame < sessionFrames;
             ++frame, now += 1 + random() % 30) {
            for (const auto& [at, type, key] : script) {
                if (recording && at == frame) {
                    testing_support::pushEvent(type, key);
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
        replay::begin({.recordPath = "", .replayPath = path, .headless = true});
        return run(false);
    }

    const std::string recordingPath = (pictures.path() / "run.rec").string();
    const std::string astrayPath = (pictures.path() / "astray.rec").string();
};

TEST_F(ReplaySessionTest, AReplayGivesTheSameStateAfterEveryFrameAsTheRecordedRun) {
    lastFrameEndTick = firstFrame - 16; // the shell's readings before the first frame, which a
    lastSpawnTick = firstFrame - 500;   // replay takes from the recording
    replay::begin({.recordPath = recordingPath, .replayPath = "", .headless = false});
    const std::vector<std::uint64_t> recorded = run(true);
    replay::stop();
    ASSERT_NE(recorded[1], recorded[sessionFrames]);

    // The recording carries the digest every check interval: a replay differing there is refused.
    replay::Recording written;
    ASSERT_EQ(replay::load(recordingPath, written), "");
    const Uint32 interval = written.header.checkInterval;
    std::string astray = testing_support::contentsOf(recordingPath);
    const std::string firstCheck(reinterpret_cast<const char*>(&recorded[interval]), 8);
    astray.at(astray.find(firstCheck)) ^= 1;
    std::ofstream(astrayPath, std::ios::binary) << astray;
    testing::internal::CaptureStderr();
    replayOf(astrayPath);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "went another way than the recorded run by frame " + std::to_string(interval)),
              std::string::npos);
    EXPECT_TRUE(replay::replayOver()) << "the run ends there";
    testing::internal::CaptureStdout();
    EXPECT_EQ(replay::finish(), EXIT_FAILURE);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("replay: ", 0), 0u);
    replay::stop();

    EXPECT_EQ(replayOf(recordingPath), recorded);
    EXPECT_TRUE(replay::replayOver());
    replay::stop();
    EXPECT_FALSE(screenBlitsSkipped()) << "the headless replay's blits stay off after it";

    // In a window each frame waits for the recorded time, and closing the window ends the run.
    std::vector<Uint32> recordedTicks;
    for (const replay::Record& record : written.records) {
        if (record.kind == replay::Record::frame) {
            recordedTicks.push_back(record.tick);
        }
    }
    replay::begin({.recordPath = "", .replayPath = recordingPath, .headless = false});
    const Uint32 start = platform::ticks();
    for (int frame = 0; frame < 3; ++frame) {
        runFrame();
    }
    EXPECT_EQ(platform::ticks() - start, recordedTicks.at(2) - recordedTicks.at(0));
    EXPECT_FALSE(replay::replayOver());
    testing_support::pushEvent(SDL_QUIT);
    runFrame();
    EXPECT_TRUE(replay::replayOver());
    replay::stop();
}

} // namespace
