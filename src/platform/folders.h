// The program's own file, its working folder and the player's folders for its data and settings,
// as the operating system and the environment report them.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The folder holding the running program's file, with links resolved; empty when the system does
// not say (no /proc, for one). In a browser, the fixed folder the web build puts the game's data
// in.
std::filesystem::path programFolder();

// Makes `folder` the working folder. Returns the system's reason when it cannot ("No such file
// or directory"), or an empty string.
std::string enterFolder(const std::filesystem::path& folder);

// The game's own folder for what it keeps between runs: `ghoulrun` under $XDG_DATA_HOME, or under
// ~/.local/share when that variable is unset, empty or relative (a relative value is ignored, as
// the XDG rules ask). Empty when neither the variable nor an absolute $HOME gives one. The folder
// may not exist yet.
std::filesystem::path dataHome();

// The same for settings: `ghoulrun` under $XDG_CONFIG_HOME, or under ~/.config.
std::filesystem::path configHome();

} // namespace platform
