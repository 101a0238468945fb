// Fuzzes the best-runs table's reader: any text is read or called damaged; a table read whole is in
// order, no longer than the game keeps, and written back as text that reads as the same runs. Then
// a run is saved into that text on disk, in each shape of its place (file_place.h): a link stays a
// link, a read-only or odd place is left as it was, and nothing read is lost.
#include "file_place.h"
#include "fuzz_check.h"
#include "records/best_runs.h"
#include "records/run_table.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// Saves `run` where `place` stands: saved, it merges with a whole table or the bytes go aside.
void checkSave(const fuzz_place::Place& place, const records::Run& run) {
    const records::Parsed before = records::parseTable(place.bytes);
    std::ostringstream errors;
    const records::Saved saved = records::saveRun(place.file, run, errors);
    require(fs::symlink_status(place.file).type() == place.type &&
            (!saved.newBest || saved.place == 0));
    if (saved.notSaved || saved.place < 0) {
        require(saved.place == -1 && !saved.newBest && fuzz_place::kept(place, ""));
        return;
    }
    int placed = -1;
    require(!fuzz_place::refused(place.shape) && records::readRuns(place.file) == saved.table);
    require(place.shape == fuzz_place::dangling ||
            (before.damage.empty() && place.shape != fuzz_place::overLimit
                 ? saved.table == records::mergeRun(before.runs, run, placed)
                 : fuzz_place::kept(place, ".damaged")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const records::Parsed parsed = records::parseTable(text);
    require(parsed.damage.empty() || parsed.runs.empty());
    if (parsed.damage.empty()) {
        require(parsed.runs.size() <= records::keptRuns &&
                std::is_sorted(parsed.runs.begin(), parsed.runs.end(), records::isBetter));
        const records::Parsed again = records::parseTable(records::formatTable(parsed.runs));
        require(again.damage.empty() && again.runs == parsed.runs);
    }
    checkSave(fuzz_place::placeFor(text, "best-runs", records::largestTableBytes),
              {60000, 7, "2026-12-08T16:21:33", std::string(records::cityScene)});
    return 0;
}
