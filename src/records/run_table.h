// The table of best runs: its order, and its text form, which a person can read as well.
#pragma once

#include <SDL/SDL.h>

#include <string>
#include <string_view>
#include <vector>

namespace records {

// The scenes a run can end in, by the names the table gives them.
constexpr std::string_view cityScene = "city";
constexpr std::string_view undergroundScene = "underground";

// One finished run.
struct Run {
    Uint32 gameMs = 0;
    int defeated = 0;
    std::string when;  // local time, "YYYY-MM-DDTHH:MM:SS"
    std::string scene; // cityScene or undergroundScene

    friend bool operator==(const Run&, const Run&) = default;
};

// How many runs the table keeps.
constexpr int keptRuns = 10;

// Best first: the longer game time first; on a tie the more enemies defeated; on a tie still the
// earlier run keeps its place.
bool isBetter(const Run& run, const Run& other);

// Puts `run` into `table` (best first) below every run as good as it, and keeps the best
// keptRuns. `placeOfRun` is its index in the result, or -1 when it did not make the table.
std::vector<Run> mergeRun(std::vector<Run> table, const Run& run, int& placeOfRun);

// The table as text: a header line naming the format's version, a line naming the columns, then
// one run per line, each line ended by a newline.
std::string formatTable(const std::vector<Run>& table);

struct Parsed {
    std::vector<Run> runs; // best first, at most keptRuns; empty when damaged
    std::string damage;    // why the text is not a whole table; empty when it is
};

// Reads text formatTable wrote, or a person edited: blank lines and lines starting with '#' are
// passed over, the runs are put in order and only the best keptRuns kept. Anything else (no
// header or another version, no newline at the end, bytes that are not text, a line that is not
// a run) makes the whole text damaged.
Parsed parseTable(std::string_view text);

} // namespace records
