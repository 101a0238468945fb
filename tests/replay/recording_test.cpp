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

SDL_Event keyEvent(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE, Uint16 unicode = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = 113;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    event.key.keysym.unicode = unicode;
    return event;
}

// A run of `frames` frames, 1 to 40 ms apart (a few far more), with a key event now and then,
// written by the game's own writer; the clock wraps past 2^32 on the way. `failure`, when given,
// receives the writer's reason for a lost recording.
std::vector<unsigned char> writeRun(const std::filesystem::path& file, int frames,
                                    std::string* failure = nullptr) {
    replay::Header header;
    header.gameVersion = "test";
    header.checkInterval = 8;
    header.lastSpawnTick = 4294967000u;
    header.lastFrameEndTick = 4294967100u;
    replay::Writer writer;
    EXPECT_TRUE(writer.open(file.string(), header));
    writer.roster(4294967050u);
    std::mt19937 random(1);
    Uint32 tick = header.lastFrameEndTick;
    const SDLKey keys[] = {SDLK_LEFT, SDLK_SPACE, SDLK_LCTRL, SDLK_q, SDLK_KP8, SDLK_2};
    for (int frame = 1; frame <= frames; ++frame) {
        tick += frame % 50 == 0 ? 70000 : 1 + random() % 40;
        const SDL_Event event = keyEvent(random() % 2 ? SDL_KEYDOWN : SDL_KEYUP, keys[random() % 6],
                                         KMOD_LSHIFT, 0x263a);
        writer.frame(tick, random() % 5 == 0 ? &event : nullptr);
        if (frame % 8 == 0) {
            writer.check(0x0123456789abcdefULL * static_cast<Uint64>(frame));
        }
    }
    writer.end(tick + 3);
    writer.close();
    if (failure != nullptr) {
        *failure = writer.failure();
    }
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// While it lives, files may grow to `bytes` and no further, as on a disk that fills up: a write
// across the limit writes what fits, the next one fails. The signal the limit would send is
// ignored, as the game ignores it.
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
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved{};
    void (*handler)(int);
};

class RecordingTest : public ::testing::Test {
  protected:
    testing_support::TemporaryFolder folder;
    std::filesystem::path file = folder.path() / "run.rec";
};

TEST_F(RecordingTest, EveryKindOfRecordReadsBackAsWritten) {
    replay::Header header;
    header.gameVersion = "1.0";
    header.checkInterval = 64;
    header.lastSpawnTick = 7;
    header.lastFrameEndTick = 9;
    replay::Writer writer;
    ASSERT_TRUE(writer.open(file.string(), header));
    writer.roster(300);
    const SDL_Event press = keyEvent(SDL_KEYDOWN, SDLK_RIGHT, KMOD_RCTRL, 'x');
    SDL_Event focus{};
    focus.type = SDL_ACTIVEEVENT;
    focus.active.gain = 1;
    focus.active.state = SDL_APPINPUTFOCUS;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    writer.frame(320, nullptr);
    writer.frame(321, &press);
    writer.frame(5000, &focus);
    writer.check(0xfedcba9876543210ULL);
    writer.frame(5000, &quit);
    writer.end(5012);
    writer.close();

    Recording read;
    ASSERT_EQ(replay::load(file.string(), read), "");
    EXPECT_EQ(read.header.gameVersion, "1.0");
    EXPECT_EQ(read.header.checkInterval, 64u);
    EXPECT_EQ(read.header.lastSpawnTick, 7u);
    EXPECT_EQ(read.header.lastFrameEndTick, 9u);
    ASSERT_EQ(read.records.size(), 7u);
    const std::vector<Record>& r = read.records;
    EXPECT_EQ(r[0].kind, Record::roster);
    EXPECT_EQ(r[0].tick, 300u);
    EXPECT_EQ(r[1].tick, 320u);
    EXPECT_FALSE(r[1].hasEvent);
    ASSERT_TRUE(r[2].hasEvent);
    EXPECT_EQ(r[2].event.type, SDL_KEYDOWN);
    EXPECT_EQ(r[2].event.key.state, SDL_PRESSED);
    EXPECT_EQ(r[2].event.key.keysym.scancode, 113);
    EXPECT_EQ(r[2].event.key.keysym.sym, SDLK_RIGHT);
    EXPECT_EQ(r[2].event.key.keysym.mod, KMOD_RCTRL);
    EXPECT_EQ(r[2].event.key.keysym.unicode, 'x');
    EXPECT_EQ(r[3].event.type, SDL_ACTIVEEVENT);
    EXPECT_EQ(r[3].event.active.gain, 1);
    EXPECT_EQ(r[3].event.active.state, SDL_APPINPUTFOCUS);
    EXPECT_EQ(r[4].kind, Record::check);
    EXPECT_EQ(r[4].digest, 0xfedcba9876543210ULL);
    EXPECT_EQ(r[5].event.type, SDL_QUIT);
    EXPECT_EQ(r[5].tick, 5000u);
    EXPECT_EQ(r[6].kind, Record::end);
    EXPECT_EQ(r[6].tick, 5012u);
}

TEST_F(RecordingTest, ClockReadingsSurviveTheTimerWrappingAndLongGaps) {
    writeRun(file, 500);
    Recording read;
    ASSERT_EQ(replay::load(file.string(), read), "");
    Uint32 previous = read.header.lastFrameEndTick;
    int frames = 0;
    for (const Record& r : read.records) {
        if (r.kind == Record::frame) {
            ++frames;
            const Uint32 step = r.tick - previous;
            EXPECT_TRUE(step >= 1 && (step <= 40 || step == 70000)) << "frame " << frames;
            previous = r.tick;
        }
    }
    EXPECT_EQ(frames, 500);
    EXPECT_LT(previous, read.header.lastFrameEndTick) << "the timer wrapped on the way";
}

TEST_F(RecordingTest, AFileThatStopsGrowingKeepsEveryWholeRecordThatReachedIt) {
    constexpr int frames = 400;
    const std::vector<unsigned char> whole = writeRun(folder.path() / "whole.rec", frames);
    // Where a file cut short still reads: after the header and after each record.
    std::vector<std::size_t> readable;
    for (std::size_t length = 1; length <= whole.size(); ++length) {
        Recording ignored;
        if (replay::parse({whole.begin(), whole.begin() + static_cast<long>(length)}, ignored)
                .empty()) {
            readable.push_back(length);
        }
    }
    ASSERT_GT(readable.size(), static_cast<std::size_t>(frames));
    // Nothing at all, inside the magic, inside the header's numbers, right after the header,
    // inside the first block, across later blocks, one byte short of the whole file, just enough.
    const std::size_t limits[] = {0,
                                  7,
                                  readable.front() - 2,
                                  readable.front(),
                                  readable.front() + 5,
                                  whole.size() / 3,
                                  whole.size() / 2 + 1,
                                  whole.size() - 1,
                                  whole.size()};
    for (std::size_t limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit) + " of " + std::to_string(whole.size()));
        std::string failure;
        std::vector<unsigned char> kept;
        {
            const FileSizeLimit disk(limit);
            kept = writeRun(file, frames, &failure);
        }
        std::size_t expected = 0;
        for (std::size_t length : readable) {
            if (length <= limit) {
                expected = length;
            }
        }
        EXPECT_EQ(kept.size(), expected);
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), whole.begin()));
        EXPECT_EQ(failure.empty(), limit >= whole.size()) << failure;
    }
}

TEST_F(RecordingTest, ARecordingWithoutFramesIsWhole) {
    replay::Writer writer;
    ASSERT_TRUE(writer.open(file.string(), replay::Header{}));
    writer.close();
    Recording read;
    EXPECT_EQ(replay::load(file.string(), read), "");
    EXPECT_TRUE(read.records.empty());
}

TEST_F(RecordingTest, DamagedFilesAreRefusedWithTheirReason) {
    const std::vector<unsigned char> good = writeRun(file, 20);
    const std::size_t headerEnd = 16 + 1 + 1 + 4 + 1 + 5 + 5; // magic to the last header number
    // The first frame with an event: tag 1 after the roster record (tag, 5-byte reading).
    std::size_t eventFrame = headerEnd + 6;
    while (good[eventFrame] != 0x01) {
        eventFrame += good[eventFrame] == 0x02 ? 9 : 2;
    }
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    };
    auto with = [&](std::size_t at, unsigned char value) {
        std::vector<unsigned char> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    auto cut = [&](std::size_t size) {
        return std::vector<unsigned char>(good.begin(), good.begin() + static_cast<long>(size));
    };
    auto keyOutOfRange = [&] {
        std::vector<unsigned char> bytes = good; // the key's varint becomes 16383
        bytes[eventFrame + 5] = 0xff;
        bytes[eventFrame + 6] = 0x7f;
        return bytes;
    };
    std::vector<unsigned char> garbage(4096);
    std::mt19937 random(5);
    for (unsigned char& byte : garbage) {
        byte = static_cast<unsigned char>(random());
    }
    const Case cases[] = {
        {"empty", {}, "empty file"},
        {"wrong magic", with(0, 'g'), "not a Ghoulrun recording"},
        {"garbage", garbage, "not a Ghoulrun recording"},
        {"another format version", with(16, 2),
         "recording format version 2, this game reads version 1"},
        {"cut in the header", cut(20), "truncated in the header"},
        {"cut inside a frame's event", cut(eventFrame + 3), "truncated in the middle of frame"},
        {"unknown record", with(eventFrame, 0x7f), "damaged recording: unknown record at frame"},
        {"key out of range", keyOutOfRange(), "damaged recording: a key out of range"},
    };
    for (const Case& c : cases) {
        Recording read;
        const std::string reason = replay::parse(c.bytes, read);
        EXPECT_NE(reason.find(c.reason), std::string::npos)
            << c.name << ": got \"" << reason << "\"";
    }
    Recording read;
    EXPECT_EQ(replay::load((folder.path() / "missing.rec").string(), read),
              "No such file or directory");
    EXPECT_EQ(replay::load(folder.path().string(), read), "is a folder, not a recording");
}

// Thousands of damaged copies of a recording: each is read or refused with a reason, and what is
// read holds only events the game can be given. (The sanitizer run watches every read.)
TEST_F(RecordingTest, MutatedRecordingsAreReadOrRefusedNeverReadPastTheirEnd) {
    const std::vector<unsigned char> good = writeRun(file, 300);
    std::mt19937 random(20261207);
    int refused = 0;
    for (int trial = 0; trial < 5000; ++trial) {
        std::vector<unsigned char> bytes = good;
        const int damage = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < damage && !bytes.empty(); ++i) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:
                bytes[at] = static_cast<unsigned char>(random());
                break;
            case 1:
                bytes.resize(at);
                break;
            case 2:
                bytes.insert(bytes.begin() + static_cast<long>(at),
                             static_cast<unsigned char>(random()));
                break;
            default:
                bytes.erase(bytes.begin() + static_cast<long>(at));
                break;
            }
        }
        Recording read;
        const std::string reason = replay::parse(bytes, read);
        if (!reason.empty()) {
            ++refused;
            continue;
        }
        for (const Record& r : read.records) {
            if (r.hasEvent && (r.event.type == SDL_KEYDOWN || r.event.type == SDL_KEYUP)) {
                ASSERT_LT(r.event.key.keysym.sym, SDLK_LAST);
            }
        }
    }
    EXPECT_GT(refused, 1000);
}

} // namespace
