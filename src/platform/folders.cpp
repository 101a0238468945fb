// Where the program lies and which folder it works in, read from and set through the system.
#include "platform/folders.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

// Linux's link to the file of the running program, whatever name it was started by.
constexpr const char* ownProgramLink = "/proc/self/exe";

} // namespace

std::filesystem::path programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink(ownProgramLink, error);
    if (error) {
        return {};
    }
    return program.parent_path();
}

std::string enterFolder(const std::filesystem::path& folder) {
    if (chdir(folder.c_str()) != 0) {
        return std::strerror(errno);
    }
    return {};
}

} // namespace platform
