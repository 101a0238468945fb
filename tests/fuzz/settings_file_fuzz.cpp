// Fuzzes the settings file: any text reads as settings in range, each problem on one of its lines;
// the changes the game writes into it, whatever else it holds, are what the next start reads. The
// same text on disk, in each shape of its place (file_place.h), is read and saved through the
// game's own path: a link stays a link, and a read-only or odd place is left as it was.
#include "file_place.h"
#include "fuzz_check.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "shell/frame_pacer.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace {

using settings::Settings;

constexpr int slowestCap = FramePacer::slowestCap;
constexpr int fastestCap = FramePacer::fastestCap;

bool inRange(const Settings& s) {
    return s.scale >= settings::smallestScale && s.scale <= settings::largestScale &&
           s.volume >= settings::quietestVolume && s.volume <= settings::loudestVolume &&
           (s.frameCap == 0 || (s.frameCap >= slowestCap && s.frameCap <= fastestCap));
}

// Every setting moved to another value in its range, as a player could change it while playing.
Settings changedFrom(const Settings& s) {
    Settings changed;
    changed.fullscreen = !s.fullscreen;
    changed.mute = !s.mute;
    changed.scale = s.scale == settings::largestScale ? settings::smallestScale : s.scale + 1;
    changed.volume = settings::loudestVolume - s.volume;
    changed.frameCap = s.frameCap == 0 ? slowestCap : 0;
    return changed;
}

bool same(const Settings& a, const Settings& b) {
    return a.fullscreen == b.fullscreen && a.scale == b.scale && a.volume == b.volume &&
           a.mute == b.mute && a.frameCap == b.frameCap;
}

// Reads and saves the settings where `place` stands: what is saved is what is read next.
void checkFile(const fuzz_place::Place& place) {
    std::ostringstream errors;
    const Settings read = settings::loadSettings(place.file, errors, slowestCap, fastestCap);
    const bool saved = settings::saveChanges(
        place.file, {{settings::muteKey, settings::asText(!read.mute)}}, errors);
    require(inRange(read) && saved != fuzz_place::refused(place.shape) &&
            std::filesystem::symlink_status(place.file).type() == place.type);
    require(saved ? settings::loadSettings(place.file, errors, slowestCap, fastestCap).mute !=
                        read.mute
                  : fuzz_place::kept(place, ""));
    require(!saved || place.shape != fuzz_place::overLimit || fuzz_place::kept(place, ".damaged"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const settings::Read read = settings::readSettings(text, slowestCap, fastestCap);
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    const bool problemsOnLines =
        std::all_of(read.problems.begin(), read.problems.end(),
                    [&](const settings::Problem& p) { return p.line >= 1 && p.line <= lines; });
    require(inRange(read.values) && problemsOnLines);
    const Settings wanted = changedFrom(read.values);
    const std::string written =
        settings::withChanges(text, {{settings::fullscreenKey, settings::asText(wanted.fullscreen)},
                                     {settings::scaleKey, settings::asText(wanted.scale)},
                                     {settings::volumeKey, settings::asText(wanted.volume)},
                                     {settings::muteKey, settings::asText(wanted.mute)},
                                     {settings::frameCapKey, settings::asText(wanted.frameCap)}});
    require(same(settings::readSettings(written, slowestCap, fastestCap).values, wanted));
    checkFile(fuzz_place::placeFor(text, "settings.ini", settings::largestFileBytes));
    return 0;
}
