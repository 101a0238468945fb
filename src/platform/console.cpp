// Terminal clearing and the end-of-run pause, for a console that may be a pipe or a file.
#include "platform/console.h"

#include <iostream>
#include <string>
#include <unistd.h>

namespace platform {
namespace {

// Cursor home, then erase the whole screen.
constexpr const char* clearSequence = "\033[H\033[2J";
constexpr const char* pausePrompt = "Press Enter to continue . . . ";

} // namespace

void clearConsole() {
    if (!isatty(STDOUT_FILENO)) {
        return;
    }
    std::cout << clearSequence << std::flush;
}

void pauseConsole() {
    if (!isatty(STDIN_FILENO)) {
        return;
    }
    std::cout << pausePrompt << std::flush;
    std::string line;
    std::getline(std::cin, line);
}

} // namespace platform
