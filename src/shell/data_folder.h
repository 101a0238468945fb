// Finding the folder of the game's pictures, sounds and music, and entering it before start-up.
#pragma once

#include <filesystem>
#include <string>

// What the search for the data folder starts from.
struct DataSearch {
    std::filesystem::path given;         // --data DIR as typed, or empty
    std::filesystem::path programFolder; // the folder of the running binary; empty when unknown
    std::filesystem::path workingFolder; // the folder the game was started in
    std::filesystem::path installedData; // the data folder relative to the binary, once installed
};

struct DataLocation {
    std::filesystem::path folder; // the folder to enter, or the one looked for in vain
    bool found = true;
};

// The game reads images/, sfx/ and pompeii.ogg relative to its working folder. Their folder is,
// first found: the one given; the installed data beside the binary; the working folder when it
// holds any of them (a run folder, even a damaged one, behaves as it always did); the binary's
// own folder (the build's run folder, started from elsewhere). With none of them the installed
// folder is reported missing; when the binary cannot be located, the working folder stays.
DataLocation locateData(const DataSearch& search);

// Locates the data from the running binary and enters its folder. A folder that is missing or
// cannot be entered gets "ghoulrun: <folder>: <reason>" on standard error and false.
bool enterDataFolder(const std::filesystem::path& given);

// `path` made absolute against the working folder now, so that it names the same file after the
// game has entered its data folder; an empty path stays empty.
std::string fromWorkingFolder(const std::string& path);
