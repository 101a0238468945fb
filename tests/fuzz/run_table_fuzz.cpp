// Fuzzes the reader of the best-runs table: any text is read or called damaged, a table read
// whole is in order and no longer than the game keeps, and it is written back as text that reads
// as the same runs.
#include "records/run_table.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const records::Parsed parsed =
        records::parseTable(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.damage.empty()) {
        if (!parsed.runs.empty()) {
            std::abort();
        }
        return 0;
    }
    if (parsed.runs.size() > records::keptRuns ||
        !std::is_sorted(parsed.runs.begin(), parsed.runs.end(), records::isBetter)) {
        std::abort();
    }
    const records::Parsed again = records::parseTable(records::formatTable(parsed.runs));
    if (!again.damage.empty() || again.runs != parsed.runs) {
        std::abort();
    }
    return 0;
}
