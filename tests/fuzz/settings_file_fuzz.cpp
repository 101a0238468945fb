// Fuzzes the settings file: any text reads as settings in range, each problem on one of its lines;
// the changes the game writes into it, whatever else it holds, are what the next start reads. The
// same text on disk, in each shape of its place (file_place.h), is read and saved through the
// game's own path: a link stays a link, and a read-only or odd place is left as it was.
#include "file_place.h"
#include "fuzz_check.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "shell/frame_pacer.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

namespace {

using settings::Setting;
using settings::Settings;

constexpr int slowestCap = FramePacer::slowestCap;
constexpr int fastestCap = FramePacer::fastestCap;

// Every setting, which must stand at a value its row takes, moved to another such value as a player
// could change it while playing; and the changes that write it.
Settings changedFrom(const Settings& s, std::vector<settings::Change>& changes) {
    Settings changed;
    for (const Setting& row : settings::table) {
        if (row.takes == settings::Takes::yesOrNo) {
            changed.*row.flag = !(s.*row.flag);
        } else {
            const bool cap = row.takes == settings::Takes::frameCap;
            const int smallest = cap ? slowestCap : row.smallest;
            const int largest = cap ? fastestCap : row.largest;
            const int value = s.*row.number;
            require((cap && value == 0) || (value >= smallest && value <= largest));
            changed.*row.number =
                cap ? (value == 0 ? smallest : 0) : (value == largest ? smallest : value + 1);
        }
        changes.push_back({row.key, settings::textOf(row, changed)});
    }
    return changed;
}

// Reads and saves the settings where `place` stands: what is saved is what is read next.
void checkFile(const fuzz_place::Place& place) {
    std::ostringstream errors;
    const Settings read = settings::loadSettings(place.file, errors, slowestCap, fastestCap);
    const bool saved =
        settings::saveChanges(place.file, {{"mute", read.mute ? "false" : "true"}}, errors);
    std::vector<settings::Change> unused;
    changedFrom(read, unused); // every value read from disk stands in its range too
    require(saved != fuzz_place::refused(place.shape) &&
            std::filesystem::symlink_status(place.file).type() == place.type);
    require(saved ? settings::loadSettings(place.file, errors, slowestCap, fastestCap).mute !=
                        read.mute
                  : fuzz_place::kept(place, ""));
    require(!saved || place.shape != fuzz_place::overLimit || fuzz_place::kept(place, ".damaged"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const settings::Read read = settings::readSettings(text, slowestCap, fastestCap);
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    const bool problemsOnLines =
        std::all_of(read.problems.begin(), read.problems.end(),
                    [&](const settings::Problem& p) { return p.line >= 1 && p.line <= lines; });
    require(problemsOnLines);
    std::vector<settings::Change> changes;
    const Settings wanted = changedFrom(read.values, changes);
    const std::string written = settings::withChanges(text, changes);
    require(settings::readSettings(written, slowestCap, fastestCap).values == wanted);
    checkFile(fuzz_place::placeFor(text, "settings.ini", settings::largestFileBytes));
    return 0;
}
