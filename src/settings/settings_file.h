// The settings file on disk: found in the player's configuration folder, read at start-up, and
// the changes made while playing written back through the same safe path as the best runs.
#pragma once

#include "settings/settings.h"

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <vector>

namespace settings {

// Every setting with a long comment is well under 1 KiB; a file past this is no settings a person
// wrote, and is not read.
constexpr std::size_t largestFileBytes = std::size_t{64} * 1024;

// `$XDG_CONFIG_HOME/ghoulrun/settings.ini` (`~/.config/...` when the variable is unset); empty
// when neither gives a folder.
std::filesystem::path settingsFile();

// The settings in `file`: the defaults where there is no file. Each problem of the file costs one
// line on `errors`, "ghoulrun: <file>:<line>: <reason>" (a file that cannot be read, one line
// "ghoulrun: <file>: <reason>"), up to a handful before the rest are summed up in one more line;
// the game plays on with the rest of the file. A file larger than any settings, or anything not a
// regular file in its place, is not read: one line, and the defaults. Never writes anything.
Settings loadSettings(const std::filesystem::path& file, std::ostream& errors, int slowestFrameCap,
                      int fastestFrameCap);

// Writes `changes` into `file` under its lock: the file as it stands then, with those keys set and
// every other line kept, replaces it atomically (through a link, the file it leads to). A file
// larger than any settings is moved aside (its new name told in one line on `errors`) and a new
// one started. A failure (a read-only file or folder, anything not a regular file in its place)
// costs one line on `errors`, "ghoulrun: <file>: <reason>; not saved", and the file stays as it
// was. Returns whether the file now holds the changes. Calls nothing of SDL.
bool saveChanges(const std::filesystem::path& file, const std::vector<Change>& changes,
                 std::ostream& errors);

} // namespace settings
