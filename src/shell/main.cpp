// Ghoulrun's entry point: runs the game and reports a sound engine failure that reaches it.
#include "shell/game.h"

#include <cstdio>
#include <cstdlib>

int main(int, char*[]) {
    try {
        return runGame();
    } catch (const char* message) {
        std::fprintf(stderr, "ghoulrun: %s\n", message);
        return EXIT_FAILURE;
    }
}
