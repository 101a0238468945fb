// The command line: the options a player may give, and what a mistyped one gets.
#pragma once

#include "shell/game.h"

#include <string>

// What reading the command line gave: the run's options and the data folder asked for, or the
// process's end with `exitStatus` (after --help or --version, or a usage error, already printed).
struct CommandLine {
    RunOptions options;
    std::string dataFolder; // --data DIR as typed, or empty
    bool endsProcess = false;
    int exitStatus = 0;
};

// Reads the arguments. --help and --version print on standard output and end with status 0. A
// usage error (an unknown option, a stray word, a missing or out-of-range value) prints one line,
// "ghoulrun: <what is wrong>; see ghoulrun --help", on standard error and ends with status 2.
CommandLine readCommandLine(int argc, const char* const* argv);
