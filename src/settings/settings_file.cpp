// Reading the settings file at start-up and writing a run's changes back into it.
#include "settings/settings_file.h"

#include "platform/folders.h"
#include "platform/kept_file.h"

#include <string>

namespace settings {
namespace {

constexpr const char* fileName = "settings.ini";
constexpr const char* notSavedEnd = "; not saved";
// Problems told one by one before the rest are summed up: a file of garbage says so in a few lines.
constexpr std::size_t problemsTold = 8;

void report(std::ostream& errors, const std::string& line) {
    errors << "ghoulrun: " << line << std::endl;
}

} // namespace

std::filesystem::path settingsFile() {
    const std::filesystem::path folder = platform::configHome();
    return folder.empty() ? folder : folder / fileName;
}

Settings loadSettings(const std::filesystem::path& file, std::ostream& errors, int slowestFrameCap,
                      int fastestFrameCap) {
    if (file.empty()) {
        return Settings{};
    }
    std::string text;
    std::string error;
    switch (platform::readWholeFile(file, largestFileBytes, text, error)) {
    case platform::FileRead::missing:
        return Settings{};
    case platform::FileRead::tooLarge:
    case platform::FileRead::failed:
        report(errors, error + "; the default settings are used");
        return Settings{};
    case platform::FileRead::whole:
        break;
    }
    const Read read = readSettings(text, slowestFrameCap, fastestFrameCap);
    for (std::size_t told = 0; told < read.problems.size() && told < problemsTold; ++told) {
        const Problem& problem = read.problems[told];
        report(errors, file.string() + ":" + std::to_string(problem.line) + ": " + problem.reason);
    }
    if (read.problems.size() > problemsTold) {
        report(errors, file.string() + ": " + std::to_string(read.problems.size() - problemsTold) +
                           " more lines that are not settings");
    }
    return read.values;
}

namespace {

// The file as it stands, under its lock, into `text`; an overlarge one moved aside, whole, for a
// person to look at, and an empty one started. False, with its line told, when it may not be
// replaced.
bool readForSaving(const std::filesystem::path& file, std::string& text, std::ostream& errors) {
    std::string failure;
    switch (platform::readWholeFile(file, largestFileBytes, text, failure)) {
    case platform::FileRead::missing:
    case platform::FileRead::whole:
        return true;
    case platform::FileRead::failed:
        report(errors, failure + notSavedEnd);
        return false;
    case platform::FileRead::tooLarge:
        break;
    }
    std::string keptAs;
    if (const std::string error = platform::moveAside(file, keptAs); !error.empty()) {
        report(errors, failure + "; not moved aside: " + error + notSavedEnd);
        return false;
    }
    report(errors, failure + "; kept as " + keptAs);
    text.clear();
    return true;
}

} // namespace

bool saveChanges(const std::filesystem::path& file, const std::vector<Change>& changes,
                 std::ostream& errors) {
    if (file.empty() || changes.empty()) {
        return changes.empty();
    }
    std::string failure = platform::makeFolders(file.parent_path());
    if (!failure.empty()) {
        report(errors, failure + notSavedEnd);
        return false;
    }
    const platform::FileLock lock(file);
    if (!lock.error().empty()) {
        report(errors, lock.error() + notSavedEnd);
        return false;
    }
    std::string text;
    if (!readForSaving(file, text, errors)) {
        return false;
    }
    failure = platform::replaceAtomically(file, withChanges(text, changes));
    if (!failure.empty()) {
        report(errors, failure + notSavedEnd);
        return false;
    }
    return true;
}

} // namespace settings
