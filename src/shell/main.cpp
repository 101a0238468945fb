// Ghoulrun's entry point: reads the command line, runs the game and reports a start-up failure
// that reaches it.
#include "replay/session.h"
#include "shell/data_folder.h"
#include "shell/frame_pacer.h"
#include "shell/game.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

constexpr const char* description =
    "Ghoulrun: survive on a night street or in a tunnel while ever more enemies close in.\n"
    "Its pictures, sounds and music come from the data folder installed with it (see --data).";

int reportFailure(const char* message) {
    std::fprintf(stderr, "ghoulrun: %s\n", message);
    return EXIT_FAILURE;
}

} // namespace

// What can escape main is a fault in the option table or memory running out: both end the
// process, as they should. The game's own failures are caught below.
// NOLINTNEXTLINE(bugprone-exception-escape)
int main(int argc, char* argv[]) {
    CLI::App app(description, "ghoulrun");
    app.set_version_flag("--version", "ghoulrun " GHOULRUN_VERSION);
    RunOptions options;
    auto* record = app.add_option("--record", options.replay.recordPath,
                                  "Play normally and write the run to FILE")
                       ->type_name("FILE");
    auto* replayOption = app.add_option("--replay", options.replay.replayPath,
                                        "Show the run recorded in FILE again, at its pace")
                             ->type_name("FILE")
                             ->excludes(record);
    app.add_flag("--headless", options.replay.headless,
                 "With --replay: no window and no sound, as fast as the machine allows; ends "
                 "with the line \"replay: <frames> frames, state <digest>\"")
        ->needs(replayOption);
    app.add_option("--fps", options.fps,
                   "Keep to at most N frames a second, sleeping between frames (default: as "
                   "many as the machine allows)")
        ->type_name("N")
        ->check(CLI::Range(FramePacer::slowestCap, FramePacer::fastestCap))
        ->excludes(replayOption);
    app.add_flag("--fullscreen", options.fullscreen,
                 "Start on the whole screen (F11 or Alt+Enter switches back and forth)");
    std::string dataFolder;
    app.add_option("--data", dataFolder,
                   "Read images/, sfx/ and pompeii.ogg from DIR instead of the installed data "
                   "folder")
        ->type_name("DIR");
    CLI11_PARSE(app, argc, argv);
    // Recordings are named from the player's folder, and the game is about to leave it.
    options.replay.recordPath = fromWorkingFolder(options.replay.recordPath);
    options.replay.replayPath = fromWorkingFolder(options.replay.replayPath);
    if (!enterDataFolder(dataFolder)) {
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
