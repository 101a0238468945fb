// Ghoulrun's entry point: reads the command line, runs the game and reports a start-up failure
// that reaches it.
#include "replay/session.h"
#include "shell/command_line.h"
#include "shell/data_folder.h"
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

// What can escape main is a fault in the option table or memory running out: both end the
// process, as they should. The game's own failures are caught below.
// NOLINTNEXTLINE(bugprone-exception-escape)
int main(int argc, char* argv[]) {
    CommandLine line = readCommandLine(argc, argv);
    if (line.endsProcess) {
        return line.exitStatus;
    }
    RunOptions& options = line.options;
    // Recordings are named from the player's folder, and the game is about to leave it.
    options.replay.recordPath = fromWorkingFolder(options.replay.recordPath);
    options.replay.replayPath = fromWorkingFolder(options.replay.replayPath);
    if (!enterDataFolder(line.dataFolder)) {
        return EXIT_FAILURE;
    }
    try {
        return runGame(options);
    } catch (const char* message) {
        // The sound engine throws its message text itself.
        return reportFailure(message);
    } catch (const std::exception& failure) {
        // A sound folder that cannot be listed, for one.
        return reportFailure(failure.what());
    }
}
