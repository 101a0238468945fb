// Ghoulrun's entry point: runs the game and reports a start-up failure that reaches it.
#include "shell/game.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

int reportFailure(const char* message) {
    std::fprintf(stderr, "ghoulrun: %s\n", message);
    return EXIT_FAILURE;
}

} // namespace

int main(int, char*[]) {
    try {
        return runGame();
    } catch (const char* message) {
        // The sound engine throws its message text itself.
        return reportFailure(message);
    } catch (const std::exception& failure) {
        // A sound folder that cannot be listed, for one.
        return reportFailure(failure.what());
    }
}
