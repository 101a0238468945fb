// Fuzzes the best-runs table's reader: any text is read or called damaged; a table read whole is in
// order, no longer than the game keeps, and written back as text that reads as the same runs.
#include "fuzz_check.h"
#include "records/run_table.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const records::Parsed parsed =
        records::parseTable(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.damage.empty()) {
        require(parsed.runs.empty());
        return 0;
    }
    require(parsed.runs.size() <= records::keptRuns &&
            std::is_sorted(parsed.runs.begin(), parsed.runs.end(), records::isBetter));
    const records::Parsed again = records::parseTable(records::formatTable(parsed.runs));
    require(again.damage.empty() && again.runs == parsed.runs);
    return 0;
}
