// The data folder: where the game's pictures, sounds and music are looked for, and entering it.
#include "shell/data_folder.h"

#include "platform/folders.h"

#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The data folder relative to the folder of the installed binary, fixed by the build.
constexpr const char* installedDataFromBinary = GHOULRUN_DATA_FROM_BINARY;

// What a data folder holds, any one of which marks a folder as the game's run folder.
constexpr const char* dataEntries[] = {"images", "sfx", "pompeii.ogg"};

bool holdsData(const fs::path& folder) {
    std::error_code error;
    for (const char* entry : dataEntries) {
        if (fs::exists(folder / entry, error)) {
            return true;
        }
    }
    return false;
}

std::string missingReason() {
    return std::make_error_code(std::errc::no_such_file_or_directory).message();
}

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

DataLocation locateData(const DataSearch& search) {
    if (!search.given.empty()) {
        return {search.given};
    }
    if (search.programFolder.empty()) {
        return {search.workingFolder};
    }
    const fs::path installed = (search.programFolder / search.installedData).lexically_normal();
    if (isFolder(installed)) {
        return {installed};
    }
    if (holdsData(search.workingFolder)) {
        return {search.workingFolder};
    }
    if (holdsData(search.programFolder)) {
        return {search.programFolder};
    }
    return {installed, false};
}

bool enterDataFolder(const fs::path& given) {
    std::error_code error;
    const fs::path working = fs::current_path(error);
    const DataLocation data =
        locateData({given, platform::programFolder(), working, fs::path(installedDataFromBinary)});
    if (data.found && data.folder == working) {
        return true;
    }
    const std::string reason = data.found ? platform::enterFolder(data.folder) : missingReason();
    if (reason.empty()) {
        return true;
    }
    std::fprintf(stderr, "ghoulrun: %s: %s\n", data.folder.c_str(), reason.c_str());
    return false;
}

std::string fromWorkingFolder(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.string();
}
