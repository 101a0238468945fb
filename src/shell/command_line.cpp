// The options a player may give, read with CLI11; its own errors are told in one line.
#include "shell/command_line.h"

#include "settings/settings.h"
#include "shell/frame_pacer.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

namespace {

constexpr const char* description =
    "Ghoulrun: survive on a night street or in a tunnel while ever more enemies close in.\n"
    "Its pictures, sounds and music come from the data folder installed with it (see --data).";

// What --help says of the settings file, around the settings' own lines.
constexpr const char* settingsFileHelp =
    "Settings: $XDG_CONFIG_HOME/ghoulrun/settings.ini (~/.config/ghoulrun/settings.ini when the\n"
    "variable is unset), lines of \"key = value\" and # comments:\n";
constexpr const char* afterSettingsHelp =
    "\nAn option on the command line wins for that run and is not saved.\n"
    "Best runs: $XDG_DATA_HOME/ghoulrun/best-runs (~/.local/share/ghoulrun/best-runs).";

// A mistyped command line ends as command-line tools conventionally end on one.
constexpr int usageErrorStatus = 2;

// What the options are read into before they become the run's options.
struct Typed {
    int fps = 0;
    bool fullscreen = false;
    int scale = 1;
};

struct Given {
    CLI::Option* fps = nullptr;
    CLI::Option* fullscreen = nullptr;
    CLI::Option* scale = nullptr;
};

Given addOptions(CLI::App& app, CommandLine& line, Typed& typed) {
    RunOptions& options = line.options;
    Given given;
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
    given.fps = app.add_option("--fps", typed.fps,
                               "Keep to at most N frames a second, sleeping between frames "
                               "(default: as many as the machine allows)")
                    ->type_name("N")
                    ->check(CLI::Range(FramePacer::slowestCap, FramePacer::fastestCap))
                    ->excludes(replayOption);
    given.fullscreen =
        app.add_flag("--fullscreen", typed.fullscreen,
                     "Start on the whole screen (F11 or Alt+Enter switches back and forth)");
    given.scale = app.add_option("--scale", typed.scale,
                                 "Open the window N times 800 x 600, the picture enlarged with "
                                 "sharp pixels (1 to 4)")
                      ->type_name("N")
                      ->check(CLI::Range(settings::smallestScale, settings::largestScale));
    app.add_option("--data", line.dataFolder,
                   "Read images/, sfx/ and pompeii.ogg from DIR instead of the installed data "
                   "folder")
        ->type_name("DIR");
    app.footer(settingsFileHelp +
               settings::helpText(FramePacer::slowestCap, FramePacer::fastestCap) +
               afterSettingsHelp);
    return given;
}

// An option given on the command line decides for this run; one not given is left to the
// settings.
template <class Value> std::optional<Value> ifGiven(const CLI::Option* option, Value value) {
    return option->count() > 0 ? std::optional<Value>(value) : std::nullopt;
}

} // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    CLI::App app(description, "ghoulrun");
    Typed typed;
    const Given given = addOptions(app, line, typed);
    try {
        app.parse(argc, argv);
        line.options.fps = ifGiven(given.fps, typed.fps);
        line.options.fullscreen = ifGiven(given.fullscreen, typed.fullscreen);
        line.options.scale = ifGiven(given.scale, typed.scale);
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
