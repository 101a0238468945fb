// The best runs on disk: each run saved the moment it ends, so that nothing in the table is ever
// lost or broken, whatever kills the game or whichever other copy of it saves at the same time.
#pragma once

#include "records/run_table.h"

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <vector>

namespace records {

// A full table of the longest lines is well under 1 KiB; a person's notes and blank lines may
// grow it, but a file past this is no table, and is moved aside unread.
constexpr std::size_t largestTableBytes = std::size_t{64} * 1024;

// What saving gave: the table as it now stands, the run's place in it (-1 when it is not there),
// and whether it is a new best: kept, in first place, so better than every run before it (the
// first run of an empty table is one). `notSaved` when the run made the table and could not be
// written into the file: the table is then the runs that could be read, without it.
struct Saved {
    std::vector<Run> table;
    int place = -1;
    bool newBest = false;
    bool notSaved = false;
};

// Adds `run` to the table in `file`: under the file's lock it reads the table as it is on the
// disk, merges the run and replaces the file atomically (through a link, the file it leads to).
// A damaged file, or one larger than any table, is moved aside (its new name told in one line on
// `errors`) and a new table started; one that cannot be moved aside is left as it is. A file or
// folder that cannot be read or written, or is read-only, or anything not a regular file in the
// file's place, costs one line on `errors`, "ghoulrun: <file>: <reason>; not saved", and is left
// as it was. An empty `file` (no folder to keep it in) likewise saves nothing.
Saved saveRun(const std::filesystem::path& file, const Run& run, std::ostream& errors);

// The table in `file`, without ever writing, moving or locking anything: a missing, unreadable,
// damaged or overlarge file gives an empty table, and says nothing.
std::vector<Run> readRuns(const std::filesystem::path& file);

// Where the table lives, in the game's data folder (platform::dataHome); empty when there is none.
std::filesystem::path bestRunsFile();

} // namespace records
