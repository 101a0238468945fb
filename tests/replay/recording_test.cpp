// The recording format: what is written reads back the same, and a damaged file is refused with
// a reason, never read past its end.
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

using replay::Record;
using replay::Recording;

// A run of `frames` frames, 1 to 40 ms apart (every 50th 70 s), with an event now and then (keys
// with every field set, focus, the window closed) and a check every 8 frames, written by the
// game's own writer; the clock wraps past 2^32 on the way. Returns the writer's reason for a lost
// recording.
std::string writeRun(const std::filesystem::path& file, int frames) {
    replay::Writer writer;
    EXPECT_TRUE(writer.open(file.string(), {"test", 8, 4294967000u, 4294967100u}));
    writer.roster(4294967050u);
    std::mt19937 random(1);
    const SDLKey keys[] = {SDLK_LEFT, SDLK_SPACE, SDLK_LCTRL, SDLK_q, SDLK_KP8, SDLK_2};
    const Uint8 types[] = {SDL_KEYDOWN, SDL_KEYUP,       SDL_KEYDOWN,
                           SDL_KEYUP,   SDL_ACTIVEEVENT, SDL_QUIT};
    Uint32 tick = 4294967100u;
    for (int frame = 1; frame <= frames; ++frame) {
        tick += frame % 50 == 0 ? 70000 : 1 + random() % 40;
        SDL_Event event{};
        event.type = types[random() % 6];
        if (event.type == SDL_ACTIVEEVENT) {
            event.active = {SDL_ACTIVEEVENT, 1, SDL_APPINPUTFOCUS};
        } else {
            event.key = {event.type,
                         0,
                         Uint8(event.type == SDL_KEYDOWN),
                         {113, keys[random() % 6], KMOD_LSHIFT, 0x263a}};
        }
        writer.frame(tick, random() % 5 == 0 ? &event : nullptr);
        if (frame % 8 == 0) {
            writer.check(0x0123456789abcdefULL * static_cast<Uint64>(frame));
        }
    }
    writer.end(tick + 3);
    writer.close();
    return writer.failure();
}

// Writes `read` again with the game's writer: a reader that lost or changed any field of any
// record gives other bytes.
void rewrite(const Recording& read, const std::filesystem::path& file) {
    replay::Writer writer;
    EXPECT_TRUE(writer.open(file.string(), read.header));
    for (const Record& r : read.records) {
        switch (r.kind) {
        case Record::frame:
            writer.frame(r.tick, r.hasEvent ? &r.event : nullptr);
            break;
        case Record::check:
            writer.check(r.digest);
            break;
        case Record::end:
            writer.end(r.tick);
            break;
        case Record::roster:
            writer.roster(r.tick);
        }
    }
    writer.close();
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

// While it lives, files may grow to `bytes` and no further, as on a disk that fills up. The
// signal the limit would send is ignored, as the game ignores it.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit lowered{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }

  private:
    rlimit saved{};
    void (*handler)(int);
};

class RecordingTest : public ::testing::Test {
  protected:
    testing_support::TemporaryFolder folder;
    std::filesystem::path file = folder.path() / "run.rec";
};

TEST_F(RecordingTest, EveryRecordReadsBackAsWrittenAcrossTheTimerWrapping) {
    writeRun(file, 500);
    Recording read;
    ASSERT_EQ(replay::load(file.string(), read), "");
    ASSERT_EQ(read.records.size(), 1 + 500 + 500 / 8 + 1u);
    EXPECT_EQ(read.records.front().tick, 4294967050u);
    EXPECT_LT(read.records.back().tick, read.header.lastFrameEndTick) << "the timer wrapped";
    rewrite(read, folder.path() / "again.rec");
    EXPECT_EQ(bytesOf(folder.path() / "again.rec"), bytesOf(file));
}

TEST_F(RecordingTest, AFileThatStopsGrowingKeepsEveryWholeRecordThatReachedIt) {
    constexpr int frames = 400;
    writeRun(folder.path() / "whole.rec", frames);
    const std::vector<unsigned char> whole = bytesOf(folder.path() / "whole.rec");
    const std::vector<std::size_t> readable = wholeLengths(whole);
    ASSERT_GT(readable.size(), static_cast<std::size_t>(frames));
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

// The damage the real game is given in tests/replay/bad_files.sh is not repeated here.
TEST_F(RecordingTest, DamagedFilesAreRefusedWithTheirReason) {
    writeRun(file, 20);
    const std::vector<unsigned char> good = bytesOf(file);
    const std::vector<std::size_t> starts = wholeLengths(good);
    // The first frame with a key event (tag, a one-byte step, the event type).
    const std::size_t keyFrame = *std::find_if(starts.begin(), starts.end(), [&](std::size_t at) {
        return good[at] == 0x01 && (good[at + 2] == SDL_KEYDOWN || good[at + 2] == SDL_KEYUP);
    });
    auto with = [&](std::size_t at, std::initializer_list<unsigned char> values) {
        std::vector<unsigned char> bytes = good;
        std::copy(values.begin(), values.end(), bytes.begin() + static_cast<long>(at));
        return bytes;
    };
    const struct {
        std::vector<unsigned char> bytes;
        const char* reason;
    } cases[] = {
        {{good.begin(), good.begin() + 20}, "truncated in the header"},
        {with(keyFrame, {0x7f}), "damaged recording: unknown record at frame"},
        {with(keyFrame + 5, {0xff, 0x7f}), "damaged recording: a key out of range"},
    };
    for (const auto& c : cases) {
        Recording read;
        EXPECT_NE(replay::parse(c.bytes, read).find(c.reason), std::string::npos) << c.reason;
    }
}

// Thousands of damaged copies of a recording: each is read or refused with a reason, and what is
// read holds only events the game can be given. (The sanitizer run watches every read.)
TEST_F(RecordingTest, MutatedRecordingsAreReadOrRefusedNeverReadPastTheirEnd) {
    writeRun(file, 300);
    const std::vector<unsigned char> good = bytesOf(file);
    std::mt19937 random(20261207);
    int refused = 0;
    for (int trial = 0; trial < 5000; ++trial) {
        std::vector<unsigned char> bytes = good;
        for (int i = 1 + static_cast<int>(random() % 8); i > 0 && !bytes.empty(); --i) {
            const auto at = bytes.begin() + static_cast<long>(random() % bytes.size());
            const unsigned char value = static_cast<unsigned char>(random());
            switch (random() % 4) {
            case 0:
                *at = value;
                break;
            case 1:
                bytes.erase(at, bytes.end());
                break;
            case 2:
                bytes.insert(at, value);
                break;
            default:
                bytes.erase(at);
            }
        }
        Recording read;
        if (!replay::parse(bytes, read).empty()) {
            ++refused;
            continue;
        }
        for (const Record& r : read.records) {
            const bool key = r.event.type == SDL_KEYDOWN || r.event.type == SDL_KEYUP;
            ASSERT_TRUE(!r.hasEvent || !key || r.event.key.keysym.sym < SDLK_LAST);
        }
    }
    EXPECT_GT(refused, 1000);
}

} // namespace
