// The options a player may give, read with CLI11; its own errors are told in one line.
#include "shell/command_line.h"

#include "shell/frame_pacer.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace {

constexpr const char* description =
    "Ghoulrun: survive on a night street or in a tunnel while ever more enemies close in.\n"
    "Its pictures, sounds and music come from the data folder installed with it (see --data).";

// A mistyped command line ends as command-line tools conventionally end on one.
constexpr int usageErrorStatus = 2;

void addOptions(CLI::App& app, CommandLine& line) {
    RunOptions& options = line.options;
    app.set_version_flag("--version", "ghoulrun " GHOULRUN_VERSION);
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
    app.add_option("--data", line.dataFolder,
                   "Read images/, sfx/ and pompeii.ogg from DIR instead of the installed data "
                   "folder")
        ->type_name("DIR");
}

} // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    CLI::App app(description, "ghoulrun");
    addOptions(app, line);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& asked) {
        // --help or --version: CLI11 prints them.
        line.endsProcess = true;
        line.exitStatus = app.exit(asked);
    } catch (const CLI::ParseError& wrong) {
        std::fprintf(stderr, "ghoulrun: %s; see ghoulrun --help\n", wrong.what());
        line.endsProcess = true;
        line.exitStatus = usageErrorStatus;
    }
    return line;
}
