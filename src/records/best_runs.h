// The best runs on disk: each run saved the moment it ends, so that nothing in the table is ever
// lost or broken, whatever kills the game or whichever other copy of it saves at the same time.
#pragma once

#include "records/run_table.h"

#include <filesystem>
#include <ostream>
#include <vector>

namespace records {

// What saving gave: the table as it now stands, the run's place in it (-1 when it did not make
// the table), and whether it is a new best: first place, so better than every run before it (the
// first run of an empty table is one).
struct Saved {
    std::vector<Run> table;
    int place = -1;
    bool newBest = false;
};

// Adds `run` to the table in `file`: under the file's lock it reads the table as it is on the
// disk, merges the run and replaces the file atomically. A damaged file is moved aside (its new
// name told in one line on `errors`) and a new table started. A file or folder that cannot be
// read or written costs one line on `errors` and is left as it was; the table read, with the run
// merged in memory, is still what is returned. An empty `file` (no folder to keep it in) likewise.
Saved saveRun(const std::filesystem::path& file, const Run& run, std::ostream& errors);

// The table in `file`, without ever writing, moving or locking anything: a missing, unreadable
// or damaged file gives an empty table, and says nothing.
std::vector<Run> readRuns(const std::filesystem::path& file);

// Where the table lives, in the game's data folder (platform::dataHome); empty when there is none.
std::filesystem::path bestRunsFile();

} // namespace records
