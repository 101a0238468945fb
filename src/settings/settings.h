// The player's settings: their table, what the settings file holds read from its text with
// libinih, and the text written back with a player's own lines kept.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Every setting's value. Built, each setting stands at its default from the table below: how the
// game plays with no settings file.
struct Settings {
    Settings();
    bool fullscreen{};
    int scale{};  // the window is this many times 800 x 600
    int volume{}; // per cent of the game's own loudness, effects and music together
    bool mute{};
    int frameCap{}; // at most this many frames a second; 0 runs flat out

    bool operator==(const Settings&) const = default;
};

// The ranges the table gives, by name for the command line and the volume keys.
constexpr int smallestScale = 1;
constexpr int largestScale = 4;
constexpr int quietestVolume = 0;
constexpr int loudestVolume = 100;
constexpr int volumeStep = 10;

// What a setting's value may be.
enum class Takes {
    yesOrNo,  // "true" or "false", or another word the reader knows for yes or no
    number,   // a whole number from `smallest` to `largest`
    frameCap, // 0, or a whole number within the frame caps the reader is given
};

// One row of the table: one key of the file and everything said of it.
struct Setting {
    std::string_view key;
    Takes takes = Takes::yesOrNo;
    bool Settings::*flag = nullptr;  // where a yes-or-no goes
    int Settings::*number = nullptr; // where a number or a frame cap goes
    int smallest = 0;
    int largest = 0;
    int byDefault = 0;         // a yes-or-no's: 1 for yes
    std::string_view help;     // what --help says of it, after its values
    bool keptFromPlay = false; // play changes it, and the change is saved when a run ends
};

// Every setting, in the order --help lists them. The reader, the writer's changes, --help and the
// tests all read this table: a new setting is a member above and a row here.
inline constexpr std::array<Setting, 5> table = {{
    {.key = "fullscreen",
     .takes = Takes::yesOrNo,
     .flag = &Settings::fullscreen,
     .byDefault = 0,
     .help = "start on the whole screen",
     .keptFromPlay = true},
    {.key = "scale",
     .takes = Takes::number,
     .number = &Settings::scale,
     .smallest = smallestScale,
     .largest = largestScale,
     .byDefault = smallestScale,
     .help = "the window this many times 800 x 600"},
    {.key = "volume",
     .takes = Takes::number,
     .number = &Settings::volume,
     .smallest = quietestVolume,
     .largest = loudestVolume,
     .byDefault = loudestVolume,
     .help = "effects and music, per cent",
     .keptFromPlay = true},
    {.key = "mute",
     .takes = Takes::yesOrNo,
     .flag = &Settings::mute,
     .byDefault = 0,
     .help = "effects and music silenced",
     .keptFromPlay = true},
    {.key = "fps",
     .takes = Takes::frameCap,
     .number = &Settings::frameCap,
     .byDefault = 0,
     .help = "the frame cap; 0 runs as fast as the machine allows"},
}};

// One thing wrong with the text: the line (from 1) and why.
struct Problem {
    int line = 0;
    std::string reason;
};

struct Read {
    Settings values;               // what the text sets, the default wherever it is wrong
    std::vector<Problem> problems; // in the order of the lines
};

// Reads the settings text: "key = value" lines (also "key: value"), blank lines and comments
// ("#" or ";" at the start of a line, ";" after a value). A line that is not a setting, an
// unknown key, a section, or a value that is not one the key takes is a problem; that key keeps
// its default, and everything else in the text is used. The frame cap takes 0, or a value from
// `slowestFrameCap` to `fastestFrameCap`.
Read readSettings(std::string_view text, int slowestFrameCap, int fastestFrameCap);

// One setting as the file writes it.
struct Change {
    std::string_view key;
    std::string value;
};

// The text with `changes` made: each key's last line above any section gets the new value in place
// (its spacing and any comment after it kept), a key missing there is added after the settings
// above any section, and every other line is kept as the player wrote it. Empty text gets a
// short header first.
std::string withChanges(std::string_view text, const std::vector<Change>& changes);

// How the file writes `setting`'s value in `values`.
std::string textOf(const Setting& setting, const Settings& values);

// What play changed from `before` to `after`, as the file writes it: the settings the table keeps
// from play, in its order, each that differs; never one the table leaves to the file alone.
std::vector<Change> changesFromPlay(const Settings& before, const Settings& after);

// The table as --help gives it: a line a setting (its key, the values it takes, what it does) and
// one on which of them play changes and saves.
std::string helpText(int slowestFrameCap, int fastestFrameCap);

} // namespace settings
