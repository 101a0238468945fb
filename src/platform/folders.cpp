// Where the program lies, which folder it works in and where the player's folders are, read from
// and set through the system and the environment.
#include "platform/folders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

#ifdef __EMSCRIPTEN__
// A page's program has no file; the web build puts its run folder's pictures, sounds and music
// here in the page's file system.
constexpr const char* webRunFolder = "/ghoulrun";
#else
// Linux's link to the file of the running program, whatever name it was started by.
constexpr const char* ownProgramLink = "/proc/self/exe";
#endif

// The game's folder inside each of the player's base folders.
constexpr const char* gameFolderName = "ghoulrun";

// An environment variable that names an absolute folder; empty when unset, empty or relative.
std::filesystem::path absoluteFolderIn(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

// The game's folder under $variable, or under `fallbackUnderHome` in the home folder.
std::filesystem::path playerFolder(const char* variable, const char* fallbackUnderHome) {
    std::filesystem::path base = absoluteFolderIn(variable);
    if (base.empty()) {
        const std::filesystem::path home = absoluteFolderIn("HOME");
        if (home.empty()) {
            return {};
        }
        base = home / fallbackUnderHome;
    }
    return base / gameFolderName;
}

} // namespace

std::filesystem::path programFolder() {
#ifdef __EMSCRIPTEN__
    return webRunFolder;
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink(ownProgramLink, error);
    if (error) {
        return {};
    }
    return program.parent_path();
#endif
}

std::string enterFolder(const std::filesystem::path& folder) {
    if (chdir(folder.c_str()) != 0) {
        return std::strerror(errno);
    }
    return {};
}

std::filesystem::path dataHome() {
    return playerFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path configHome() {
    return playerFolder("XDG_CONFIG_HOME", ".config");
}

} // namespace platform
