// Saving a run: the lock, the read, the merge and the atomic write, in the one order that keeps
// every run whatever happens around the game.
#include "records/best_runs.h"

#include "platform/folders.h"
#include "platform/kept_file.h"

#include <string>
#include <utility>

namespace records {
namespace {

constexpr const char* tableFileName = "best-runs";
constexpr const char* messageStart = "ghoulrun: ";
constexpr const char* notSavedEnd = "; not saved";
constexpr const char* noFolderMessage =
    "no folder to keep the best runs in: neither XDG_DATA_HOME nor HOME names one";

void report(std::ostream& errors, const std::string& line) {
    errors << messageStart << line << '\n';
}

// The card must not claim a place the file does not hold: what it shows is what could be read.
Saved notSaved(std::vector<Run> read) {
    Saved saved;
    saved.table = std::move(read);
    saved.notSaved = true;
    return saved;
}

// A damaged table goes aside, whole, for a person to look at; the game starts a new one. One that
// cannot go aside stays as it is, and nothing is written over it.
bool keepDamaged(const std::filesystem::path& file, const std::string& damage,
                 std::ostream& errors) {
    std::string keptAs;
    const std::string error = platform::moveAside(file, keptAs);
    if (!error.empty()) {
        report(errors, damage + "; not moved aside: " + error + notSavedEnd);
        return false;
    }
    report(errors, damage + "; kept as " + keptAs);
    return true;
}

// Reads the table as it stands into `table`. False when the file is there but may not be
// replaced: it could not be read, or it is damaged and could not be moved aside.
bool readForSaving(const std::filesystem::path& file, std::vector<Run>& table,
                   std::ostream& errors) {
    std::string bytes;
    std::string error;
    switch (platform::readWholeFile(file, largestTableBytes, bytes, error)) {
    case platform::FileRead::missing:
        return true;
    case platform::FileRead::tooLarge:
        return keepDamaged(file, error, errors);
    case platform::FileRead::failed:
        report(errors, error + notSavedEnd);
        return false;
    case platform::FileRead::whole:
        break;
    }
    Parsed parsed = parseTable(bytes);
    if (!parsed.damage.empty()) {
        return keepDamaged(file, file.string() + ": " + parsed.damage, errors);
    }
    table = std::move(parsed.runs);
    return true;
}

// A run the table cannot hold (a scene or date no line can carry) must not make the file one the
// next reading calls damaged: the text is read back before it replaces the table.
bool write(const std::filesystem::path& file, const std::vector<Run>& table, std::ostream& errors) {
    const std::string text = formatTable(table);
    if (const Parsed check = parseTable(text); !check.damage.empty()) {
        report(errors, file.string() + ": the run cannot be written: " + check.damage);
        return false;
    }
    if (const std::string error = platform::replaceAtomically(file, text); !error.empty()) {
        report(errors, error + notSavedEnd);
        return false;
    }
    return true;
}

} // namespace

Saved saveRun(const std::filesystem::path& file, const Run& run, std::ostream& errors) {
    if (file.empty()) {
        report(errors, noFolderMessage);
        return notSaved({});
    }
    if (const std::string error = platform::makeFolders(file.parent_path()); !error.empty()) {
        report(errors, error + notSavedEnd);
        return notSaved({});
    }
    // Held from the reading to the writing, so another game's run saved meanwhile is merged.
    const platform::FileLock lock(file);
    if (!lock.error().empty()) {
        report(errors, lock.error() + notSavedEnd);
        return notSaved(readRuns(file));
    }
    std::vector<Run> table;
    if (!readForSaving(file, table, errors)) {
        return notSaved(std::move(table));
    }
    Saved saved;
    saved.table = mergeRun(table, run, saved.place);
    if (saved.place >= 0 && !write(file, saved.table, errors)) {
        return notSaved(std::move(table));
    }
    saved.newBest = saved.place == 0;
    return saved;
}

std::vector<Run> readRuns(const std::filesystem::path& file) {
    std::string bytes;
    std::string error;
    if (platform::readWholeFile(file, largestTableBytes, bytes, error) !=
        platform::FileRead::whole) {
        return {};
    }
    return parseTable(bytes).runs;
}

std::filesystem::path bestRunsFile() {
    const std::filesystem::path folder = platform::dataHome();
    return folder.empty() ? folder : folder / tableFileName;
}

} // namespace records
