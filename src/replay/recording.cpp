// The recording format: writing records as the run goes, and reading a whole file back.
#include "replay/recording.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace replay {
namespace {

constexpr char magic[] = "GHOULRUN REPLAY\n";
constexpr std::size_t magicSize = sizeof magic - 1;

enum Tag : unsigned char {
    frameTag = 0x00,
    frameWithEventTag = 0x01,
    checkTag = 0x02,
    endTag = 0x03,
    rosterTag = 0x04,
};

constexpr int varintBits = 7;
constexpr unsigned char varintMore = 0x80;
constexpr unsigned char varintLow = 0x7f;
// Five bytes carry 35 bits: enough for any 32-bit value, and no more is ever written.
constexpr int varintMaxBytes = 5;
constexpr int digestBytes = 8;
// Longer than any version string the game will ever carry.
constexpr Uint32 longestGameVersion = 64;

// The writer's block goes to the file once it holds this many bytes, even between checks. A
// record is never longer than a key event: tag, delta, type, state, scancode, three varints.
constexpr std::size_t blockBytes = 4096;
constexpr std::size_t largestRecordBytes = 3 + 5 + 2 + 3 * varintMaxBytes;

void putVarint(std::vector<unsigned char>& out, Uint32 value) {
    while (value > varintLow) {
        out.push_back(static_cast<unsigned char>((value & varintLow) | varintMore));
        value >>= varintBits;
    }
    out.push_back(static_cast<unsigned char>(value));
}

void putEvent(std::vector<unsigned char>& out, const SDL_Event& event) {
    out.push_back(event.type);
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.push_back(event.key.state);
        out.push_back(event.key.keysym.scancode);
        putVarint(out, static_cast<Uint32>(event.key.keysym.sym));
        putVarint(out, static_cast<Uint32>(event.key.keysym.mod));
        putVarint(out, event.key.keysym.unicode);
        break;
    case SDL_ACTIVEEVENT:
        out.push_back(event.active.gain);
        out.push_back(event.active.state);
        break;
    default:
        break;
    }
}

// Reads the bytes of a recording front to back; every read says whether the bytes were there.
class Cursor {
  public:
    explicit Cursor(const std::vector<unsigned char>& recorded) : bytes(recorded) {}

    bool atEnd() const { return at == bytes.size(); }
    bool byte(unsigned char& out) {
        if (atEnd()) {
            return false;
        }
        out = bytes[at++];
        return true;
    }
    // False for a missing byte and for a value that does not fit 32 bits (`overlong` says which).
    bool varint(Uint32& out, bool& overlong) {
        std::uint64_t value = 0;
        for (int i = 0; i < varintMaxBytes; ++i) {
            unsigned char next = 0;
            if (!byte(next)) {
                return false;
            }
            value |= static_cast<std::uint64_t>(next & varintLow) << (varintBits * i);
            if ((next & varintMore) == 0) {
                overlong = value > UINT32_MAX;
                out = static_cast<Uint32>(value);
                return !overlong;
            }
        }
        overlong = true;
        return false;
    }
    bool skipMatching(const char* expected, std::size_t count) {
        if (bytes.size() - at < count || std::memcmp(&bytes[at], expected, count) != 0) {
            return false;
        }
        at += count;
        return true;
    }
    bool text(std::string& out, std::size_t count) {
        if (bytes.size() - at < count) {
            return false;
        }
        out.assign(bytes.begin() + static_cast<long>(at),
                   bytes.begin() + static_cast<long>(at + count));
        at += count;
        return true;
    }

  private:
    const std::vector<unsigned char>& bytes;
    std::size_t at = 0;
};

// Parsing stops at the first fault; the message says what it was.
class Parser {
  public:
    Parser(const std::vector<unsigned char>& bytes, Recording& result) : in(bytes), into(result) {}

    std::string run() {
        if (!header()) {
            return fault;
        }
        while (!in.atEnd()) {
            if (!record()) {
                return fault;
            }
        }
        return {};
    }

  private:
    bool fail(const std::string& why) {
        fault = why;
        return false;
    }
    // A varint that must be there; a missing one means the file was cut short.
    bool number(Uint32& out, const std::string& truncated) {
        bool overlong = false;
        if (in.varint(out, overlong)) {
            return true;
        }
        return fail(overlong ? "damaged recording: a number is out of range" : truncated);
    }

    bool header() {
        if (!in.skipMatching(magic, magicSize)) {
            return fail("not a Ghoulrun recording");
        }
        Uint32 version = 0;
        Uint32 versionLength = 0;
        Header& h = into.header;
        if (!number(version, "truncated in the header")) {
            return false;
        }
        if (version != formatVersion) {
            return fail("recording format version " + std::to_string(version) +
                        ", this game reads version " + std::to_string(formatVersion));
        }
        if (!number(versionLength, "truncated in the header")) {
            return false;
        }
        if (versionLength > longestGameVersion) {
            return fail("damaged recording: the game version is too long");
        }
        const bool whole =
            (in.text(h.gameVersion, versionLength) || fail("truncated in the header")) &&
            number(h.checkInterval, "truncated in the header") &&
            number(h.lastSpawnTick, "truncated in the header") &&
            number(h.lastFrameEndTick, "truncated in the header");
        previousTick = h.lastFrameEndTick;
        return whole;
    }

    bool record() {
        unsigned char tag = 0;
        in.byte(tag);
        switch (tag) {
        case frameTag:
        case frameWithEventTag:
            return frame(tag == frameWithEventTag);
        case checkTag:
            return check();
        case endTag:
            return end();
        case rosterTag:
            return roster();
        default:
            return fail("damaged recording: unknown record at frame " + std::to_string(frames + 1));
        }
    }

    bool frame(bool withEvent) {
        Record r;
        Uint32 delta = 0;
        if (!number(delta, truncatedFrame())) {
            return false;
        }
        r.tick = previousTick + delta;
        r.hasEvent = withEvent;
        if (withEvent && !event(r.event)) {
            return false;
        }
        previousTick = r.tick;
        ++frames;
        into.records.push_back(r);
        return true;
    }

    bool event(SDL_Event& out) {
        unsigned char type = 0;
        if (!in.byte(type)) {
            return fail(truncatedFrame());
        }
        out.type = type;
        switch (type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return keyEvent(out);
        case SDL_ACTIVEEVENT:
            return (in.byte(out.active.gain) && in.byte(out.active.state)) ||
                   fail(truncatedFrame());
        default:
            return true;
        }
    }

    bool keyEvent(SDL_Event& out) {
        Uint32 sym = 0;
        Uint32 mod = 0;
        Uint32 unicode = 0;
        if (!in.byte(out.key.state) || !in.byte(out.key.keysym.scancode)) {
            return fail(truncatedFrame());
        }
        if (!number(sym, truncatedFrame()) || !number(mod, truncatedFrame()) ||
            !number(unicode, truncatedFrame())) {
            return false;
        }
        // An SDLMod holds 16 bits; a value past them is no modifier state SDL could report.
        if (sym >= SDLK_LAST || mod > UINT16_MAX || unicode > UINT16_MAX) {
            return fail("damaged recording: a key out of range at frame " +
                        std::to_string(frames + 1));
        }
        out.key.type = out.type;
        out.key.keysym.sym = static_cast<SDLKey>(sym);
        out.key.keysym.mod = static_cast<SDLMod>(mod);
        out.key.keysym.unicode = static_cast<Uint16>(unicode);
        return true;
    }

    bool check() {
        Record r;
        r.kind = Record::check;
        for (int i = 0; i < digestBytes; ++i) {
            unsigned char next = 0;
            if (!in.byte(next)) {
                return fail("truncated in a check after frame " + std::to_string(frames));
            }
            r.digest |= static_cast<std::uint64_t>(next) << (8 * i);
        }
        into.records.push_back(r);
        return true;
    }

    bool end() {
        Record r;
        r.kind = Record::end;
        Uint32 delta = 0;
        if (!number(delta, "truncated in the end record")) {
            return false;
        }
        r.tick = previousTick + delta;
        into.records.push_back(r);
        return true;
    }

    bool roster() {
        Record r;
        r.kind = Record::roster;
        if (frames > 0 || rosterSeen) {
            return fail("damaged recording: a second start of the run at frame " +
                        std::to_string(frames));
        }
        rosterSeen = true;
        if (!number(r.tick, "truncated at the start of the run")) {
            return false;
        }
        into.records.push_back(r);
        return true;
    }

    std::string truncatedFrame() const {
        return "truncated in the middle of frame " + std::to_string(frames + 1);
    }

    Cursor in;
    Recording& into;
    std::string fault;
    int frames = 0;
    bool rosterSeen = false;
    // The last frame's clock reading, which the next frame's and the end's deltas count from
    // (the header's reading before the first frame). Kept rather than looked up: a file of many
    // records and no frame would otherwise be searched back through on every record.
    Uint32 previousTick = 0;
};

} // namespace

Writer::~Writer() {
    close();
}

bool Writer::open(const std::string& path, const Header& header) {
    close();
    lostReason.clear();
    fileLength = 0;
    if (!file.create(path)) {
        return false;
    }
    block.reserve(blockBytes + largestRecordBytes);
    recordEnds.reserve(blockBytes);
    block.assign(magic, magic + magicSize);
    putVarint(block, formatVersion);
    putVarint(block, static_cast<Uint32>(header.gameVersion.size()));
    block.insert(block.end(), header.gameVersion.begin(), header.gameVersion.end());
    putVarint(block, header.checkInterval);
    putVarint(block, header.lastSpawnTick);
    putVarint(block, header.lastFrameEndTick);
    recordDone();
    previousTick = header.lastFrameEndTick;
    return true;
}

void Writer::frame(Uint32 tick, const SDL_Event* event) {
    if (!isOpen()) {
        return;
    }
    block.push_back(event != nullptr ? frameWithEventTag : frameTag);
    putVarint(block, tick - previousTick);
    if (event != nullptr) {
        putEvent(block, *event);
    }
    previousTick = tick;
    recordDone();
}

void Writer::roster(Uint32 tick) {
    if (!isOpen()) {
        return;
    }
    block.push_back(rosterTag);
    putVarint(block, tick);
    recordDone();
}

void Writer::check(std::uint64_t digest) {
    if (!isOpen()) {
        return;
    }
    block.push_back(checkTag);
    for (int i = 0; i < digestBytes; ++i) {
        block.push_back(static_cast<unsigned char>(digest >> (8 * i)));
    }
    recordDone();
    // One write per check interval: a few system calls a second at the fastest frame rates.
    flush();
}

void Writer::end(Uint32 tick) {
    if (!isOpen()) {
        return;
    }
    block.push_back(endTag);
    putVarint(block, tick - previousTick);
    recordDone();
    flush();
}

void Writer::recordDone() {
    recordEnds.push_back(block.size());
    if (block.size() >= blockBytes) {
        flush();
    }
}

void Writer::flush() {
    if (isOpen() && !block.empty()) {
        const std::size_t reached = file.append(block.data(), block.size());
        if (reached == block.size()) {
            fileLength += reached;
        } else {
            const int cause = errno;
            // A record that reached the file only in part would read as a truncated frame.
            std::size_t whole = 0;
            for (std::size_t recordEnd : recordEnds) {
                if (recordEnd > reached) {
                    break;
                }
                whole = recordEnd;
            }
            file.cutTo(fileLength + whole);
            file.close();
            lostReason = std::strerror(cause);
        }
    }
    block.clear();
    recordEnds.clear();
}

void Writer::close() {
    flush();
    file.close();
}

std::string parse(const std::vector<unsigned char>& bytes, Recording& into) {
    into = Recording{};
    if (bytes.empty()) {
        return "empty file";
    }
    return Parser(bytes, into).run();
}

std::string load(const std::string& path, Recording& into) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return "is a folder, not a recording";
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::strerror(errno);
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                           std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return "cannot be read";
    }
    return parse(bytes, into);
}

} // namespace replay
