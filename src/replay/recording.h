// A recorded run: the file format, its writer and its reader.
//
// The simulation is a function of two inputs per frame: the frame's clock reading and the input
// event that arrived in it, if any (the event then lasts until the next one). A recording holds
// exactly those, plus the few readings taken before the first frame.
//
// The format, version 1. Every number is an unsigned LEB128 varint (7 bits a byte, low bits
// first, at most 5 bytes for 32 bits) unless a width is given.
//
//   header   "GHOULRUN REPLAY\n"           16 bytes of magic
//            format version                varint, 1
//            game version                  varint length, then that many bytes
//            check interval                varint: a check record follows every this many frames
//            last release reading          varint: lastSpawnTick before the first frame
//            last frame reading            varint: lastFrameEndTick before the first frame
//   records  until the end of the file, each a tag byte and its body:
//            0x00 frame                    varint: clock reading minus the previous frame's
//                                          (the first frame's minus the last frame reading),
//                                          modulo 2^32
//            0x01 frame with a new event   the same delta, then the event:
//                                          1 byte SDL event type; for key events 1 byte state,
//                                          1 byte scancode, varint key, varint modifiers,
//                                          varint unicode; for the active event 1 byte gain,
//                                          1 byte state; other events carry nothing more
//            0x02 check                    8 bytes little-endian: the state digest after the
//                                          frame before it
//            0x03 end                      varint: the clock reading of the end-of-run report
//                                          minus the last frame's
//            0x04 roster                   varint: the clock reading the pieces were built at;
//                                          once, before the first frame
//
// A file ending between records is whole (a run that ended at a frame boundary, or was cut off
// there); one ending inside a record is truncated.
#pragma once

#include "platform/block_file.h"

#include <SDL/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace replay {

constexpr int formatVersion = 1;

// What a recording knows before its first frame.
struct Header {
    std::string gameVersion;
    Uint32 checkInterval = 0;    // frames between check records; 0 writes none
    Uint32 lastSpawnTick = 0;    // the shell's readings before the first frame
    Uint32 lastFrameEndTick = 0; //
};

// One record, in file order.
struct Record {
    enum Kind { frame, check, end, roster };
    Kind kind = frame;
    Uint32 tick = 0;          // frame, end, roster: the clock reading (absolute, not a delta)
    bool hasEvent = false;    // frame: a new event arrived in it
    SDL_Event event{};        // frame with hasEvent: the event
    std::uint64_t digest = 0; // check: the state digest
};

// Writes a recording as the run goes. Records gather in memory and reach the file in blocks of
// whole records: at every check record, whenever a block grows large, and at the end. A file cut
// off anywhere (the process killed, a full disk) therefore ends between two records and reads
// back up to its last whole frame.
//
// When the file stops taking blocks (a full disk, the file-size limit), the writer cuts it back to
// the last record that reached it whole, writes nothing more and keeps the reason; playing on is
// the caller's choice.
class Writer {
  public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates `path`; the header is the first record of the first block. False, with errno set,
    // when the file cannot be made.
    bool open(const std::string& path, const Header& header);
    // True from a successful open until close or a failed write.
    bool isOpen() const { return file.isOpen(); }
    // One frame: its clock reading and, when `event` is not null, the event that arrived in it.
    void frame(Uint32 tick, const SDL_Event* event);
    void roster(Uint32 tick);
    void check(std::uint64_t digest);
    void end(Uint32 tick);
    // Writes out every record still held.
    void flush();
    void close();
    // Empty while every record so far reached the file; otherwise why the file stopped taking
    // them (the operating system's words).
    const std::string& failure() const { return lostReason; }

  private:
    // Closes the record just put in the block, and writes the block out once it is large.
    void recordDone();

    platform::BlockFile file;
    Uint32 previousTick = 0;
    std::vector<unsigned char> block;    // whole records not yet written
    std::vector<std::size_t> recordEnds; // where each record of the block ends
    std::uint64_t fileLength = 0;        // bytes the file holds, all of them whole records
    std::string lostReason;
};

// The whole of a recording, read and checked at once, so that a bad file is refused before the
// run begins.
struct Recording {
    Header header;
    std::vector<Record> records;
};

// Reads and checks the bytes of a recording. Returns an empty string on success, otherwise the
// reason it is refused, for the line "ghoulrun: <file>: <reason>".
std::string parse(const std::vector<unsigned char>& bytes, Recording& into);

// Reads the file at `path` and parses it; the reason when it cannot be read or parsed.
std::string load(const std::string& path, Recording& into);

} // namespace replay
