// Fuzzes the command line before the window: the arguments (the fuzzer's bytes split at each NUL)
// read or refused with a status, the recording paths made absolute, the data folder located.
#include "fuzz_check.h"
#include "platform/folders.h"
#include "settings/settings.h"
#include "shell/command_line.h"
#include "shell/data_folder.h"
#include "shell/frame_pacer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int usageErrorStatus = 2;

std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments{"ghoulrun"};
    std::string word;
    for (std::size_t at = 0; at < size; ++at) {
        if (data[at] == 0) {
            arguments.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[at]);
        }
    }
    arguments.push_back(word);
    return arguments;
}

bool madeAbsolute(const std::string& path) { // a path made absolute stays empty only if it was
    return fromWorkingFolder(path).empty() == path.empty();
}

// An option left to the settings, or one given within its range.
bool within(const std::optional<int>& value, int lowest, int highest) {
    return !value || (*value >= lowest && *value <= highest);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> arguments = argumentsOf(data, size);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    const CommandLine line = readCommandLine(static_cast<int>(argv.size()), argv.data());
    if (line.endsProcess) {
        require(line.exitStatus == 0 || line.exitStatus == usageErrorStatus);
        return 0;
    }
    const RunOptions& options = line.options;
    require(within(options.fps, FramePacer::slowestCap, FramePacer::fastestCap) &&
            within(options.scale, settings::smallestScale, settings::largestScale) &&
            (options.replay.recordPath.empty() || options.replay.replayPath.empty()) &&
            madeAbsolute(options.replay.recordPath) && madeAbsolute(options.replay.replayPath));
    std::error_code ignored;
    const DataLocation located =
        locateData({line.dataFolder, platform::programFolder(),
                    std::filesystem::current_path(ignored), GHOULRUN_DATA_FROM_BINARY});
    require(line.dataFolder.empty() || located.folder == line.dataFolder);
    return 0;
}
