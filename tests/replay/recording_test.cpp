// The recording format: a file that stops growing keeps every whole record the writer gave it,
// and a damaged file is refused with its reason, never read past its end.
#include "replay/recording.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <random>

namespace {

using replay::Recording;

// A run of `frames` frames, 1 to 40 ms apart (every 50th 70 s), with an event now and then (keys
// with every field set, focus, the window closed) and a check every 8 frames, written by the
// game's writer across the clock's wrap. Returns the writer's reason for a lost recording.
std::string writeRun(const std::filesystem::path& file, int frames) {
    replay::Writer writer;
    EXPECT_TRUE(writer.open(file.string(), {"test", 8, 4294967000u, 4294967100u}));
    writer.roster(4294967050u);
    std::mt19937 random(1);
    const SDLKey keys[] = {SDLK_LEFT, SDLK_SPACE, SDLK_LCTRL, SDLK_q, SDLK_KP8, SDLK_2};
    const Uint8 types[] = {SDL_KEYDOWN, SDL_KEYUP, SDL_ACTIVEEVENT, SDL_QUIT};
    Uint32 tick = 4294967100u;
    for (int frame = 1; frame <= frames; ++frame) {
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
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// While it lives, files may grow to `bytes` and no further, as on a disk that fills up.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit lowered{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }

  private:
    rlimit saved{};
};

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
    std::signal(SIGXFSZ, SIG_IGN); // as the game ignores it
    // Nothing at all, inside the magic, inside the header, right after it, inside the first
    // block, across later blocks, one byte short of the whole file, just enough.
    const std::size_t head = readable.front();
    for (std::size_t limit :
         {std::size_t{0}, std::size_t{7}, head - 2, head, head + 5, whole.size() / 3,
          whole.size() / 2 + 1, whole.size() - 1, whole.size()}) {
        SCOPED_TRACE("limit " + std::to_string(limit) + " of " + std::to_string(whole.size()));
        std::string failure;
        {
            const FileSizeLimit disk(limit);
            failure = writeRun(file, frames);
        }
        const std::vector<unsigned char> kept = bytesOf(file);
        const auto fits = std::upper_bound(readable.begin(), readable.end(), limit);
        EXPECT_EQ(kept.size(), fits == readable.begin() ? 0 : *(fits - 1));
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), whole.begin()));
        EXPECT_EQ(failure.empty(), limit >= whole.size()) << failure;
    }
}

// The damage each rule of the reader is there for, after the magic or the header of a good
// recording; the damage the real game is given in tests/errors is not repeated here.
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
         "a key out of range"},
        // Modifiers past SDLMod's 16 bits.
        {after(afterHeader, {0x01, 0x01, SDL_KEYDOWN, 1, 0, 0x20, 0x80, 0x80, 0x04, 0}),
         "a key out of range"},
    };
    for (const auto& c : cases) {
        Recording read;
        EXPECT_NE(replay::parse(c.bytes, read).find(c.reason), std::string::npos) << c.reason;
    }
    // Undamaged, a check is its tag and the digest in eight bytes, lowest first.
    Recording check;
    ASSERT_EQ(replay::parse(after(afterHeader, {0x02, 1, 2, 3, 4, 5, 6, 7, 8}), check), "");
    EXPECT_EQ(check.records.at(0).digest, 0x0807060504030201u);
}

} // namespace
