// The program's own file and its working folder, as the operating system reports them.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The folder holding the running program's file, with links resolved; empty when the system does
// not say (no /proc, for one).
std::filesystem::path programFolder();

// Makes `folder` the working folder. Returns the system's reason when it cannot ("No such file
// or directory"), or an empty string.
std::string enterFolder(const std::filesystem::path& folder);

} // namespace platform
