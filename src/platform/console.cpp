// Terminal clearing and the end-of-run pause, for a console that may be a pipe or a file.
#include "platform/console.h"

#include <cerrno>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace platform {
namespace {

// Cursor home, then erase the whole screen.
constexpr const char* clearSequence = "\033[H\033[2J";
constexpr const char* pausePrompt = "Press Enter to continue . . . ";
constexpr int endsEarlyCheckMs = 100;

// A browser's console is a log, which a clear sequence only fills, and reading its standard input
// opens a prompt dialog, though emscripten says both are terminals.
bool isTerminal(int descriptor) {
#ifdef __EMSCRIPTEN__
    static_cast<void>(descriptor);
    return false;
#else
    return isatty(descriptor) != 0;
#endif
}

} // namespace

void clearConsole() {
    if (!isTerminal(STDOUT_FILENO)) {
        return;
    }
    std::cout << clearSequence << std::flush;
}

void pauseConsole(bool (*endsEarly)()) {
    if (!isTerminal(STDIN_FILENO)) {
        return;
    }
    std::cout << pausePrompt << std::flush;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (endsEarly == nullptr || !endsEarly()) {
        const int ready = poll(&input, 1, endsEarlyCheckMs);
        if (ready > 0 || (ready < 0 && errno != EINTR)) {
            std::string line;
            std::getline(std::cin, line);
            return;
        }
    }
}

} // namespace platform
