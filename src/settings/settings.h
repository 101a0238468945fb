// The player's settings: what the settings file holds, read from its text with libinih, and the
// text written back with a player's own lines kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Every setting with its default, which is how the game plays with no settings file.
struct Settings {
    bool fullscreen = false;
    int scale = 1;    // the window is this many times 800 x 600
    int volume = 100; // per cent of the game's own loudness, effects and music together
    bool mute = false;
    int frameCap = 0; // at most this many frames a second; 0 runs flat out
};

// Each setting's range; the frame cap takes 0 or a value in its range.
constexpr int smallestScale = 1;
constexpr int largestScale = 4;
constexpr int quietestVolume = 0;
constexpr int loudestVolume = 100;
constexpr int volumeStep = 10;

// The keys of the file, by setting.
constexpr std::string_view fullscreenKey = "fullscreen";
constexpr std::string_view scaleKey = "scale";
constexpr std::string_view volumeKey = "volume";
constexpr std::string_view muteKey = "mute";
constexpr std::string_view frameCapKey = "fps";

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

// How the file writes a yes-or-no and a number.
std::string asText(bool value);
std::string asText(int value);

} // namespace settings
