// Fuzzes the recording reader: any bytes are read or refused; one read whole writes and reads back.
#include "fuzz_check.h"
#include "replay/recording.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>

namespace {

bool sameEvent(const SDL_Event& a, const SDL_Event& b) {
    if (a.type != b.type) {
        return false;
    }
    switch (a.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return a.key.state == b.key.state && a.key.keysym.scancode == b.key.keysym.scancode &&
               a.key.keysym.sym == b.key.keysym.sym && a.key.keysym.mod == b.key.keysym.mod &&
               a.key.keysym.unicode == b.key.keysym.unicode;
    case SDL_ACTIVEEVENT:
        return a.active.gain == b.active.gain && a.active.state == b.active.state;
    default:
        return true;
    }
}

bool sameRecord(const replay::Record& a, const replay::Record& b) {
    return a.kind == b.kind && a.tick == b.tick && a.hasEvent == b.hasEvent &&
           a.digest == b.digest && (!a.hasEvent || sameEvent(a.event, b.event));
}

// Writes `recording` with the game's own writer, the way a run would have written it.
void write(const replay::Recording& recording, const std::string& path) {
    replay::Writer writer;
    require(writer.open(path, recording.header));
    for (const replay::Record& r : recording.records) {
        switch (r.kind) {
        case replay::Record::frame:
            writer.frame(r.tick, r.hasEvent ? &r.event : nullptr);
            break;
        case replay::Record::check:
            writer.check(r.digest);
            break;
        case replay::Record::end:
            writer.end(r.tick);
            break;
        case replay::Record::roster:
            writer.roster(r.tick);
            break;
        }
    }
    writer.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string rewritten =
        (std::filesystem::temp_directory_path() /
         ("ghoulrun-fuzz-recording-" + std::to_string(getpid()) + ".rec"))
            .string();
    replay::Recording read;
    if (!replay::parse(std::vector<unsigned char>(data, data + size), read).empty()) {
        return 0;
    }
    write(read, rewritten);
    replay::Recording again;
    const std::string reason = replay::load(rewritten, again);
    std::filesystem::remove(rewritten);
    const replay::Header& h = read.header;
    const replay::Header& g = again.header;
    require(reason.empty() && h.gameVersion == g.gameVersion &&
            h.checkInterval == g.checkInterval && h.lastSpawnTick == g.lastSpawnTick &&
            h.lastFrameEndTick == g.lastFrameEndTick &&
            std::equal(read.records.begin(), read.records.end(), again.records.begin(),
                       again.records.end(), sameRecord));
    return 0;
}
