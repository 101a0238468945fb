// The settings file read, written among the player's lines, and overridden by the command line.
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "shell/command_line.h"
#include "shell/player_settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using settings::Settings;

constexpr int slowestCap = 10;
constexpr int fastestCap = 1000;

bool operator==(const Settings& a, const Settings& b) {
    return a.fullscreen == b.fullscreen && a.scale == b.scale && a.volume == b.volume &&
           a.mute == b.mute && a.frameCap == b.frameCap;
}

Settings with(void (*change)(Settings&)) {
    Settings changed;
    change(changed);
    return changed;
}

// Each text read alone: what it sets, and the line of its one problem (0: none).
TEST(SettingsTest, EachKeyTakesItsRangeAndABadLineCostsOnlyItself) {
    const struct {
        const char* text;
        Settings read;
        int problemLine;
    } cases[] = {
        {"", Settings{}, 0},
        {"# a comment\n; another\n\n", Settings{}, 0},
        {"fullscreen = true\n", with([](Settings& s) { s.fullscreen = true; }), 0},
        {"fullscreen=yes", with([](Settings& s) { s.fullscreen = true; }), 0},
        {"fullscreen = maybe\n", Settings{}, 1},
        {"scale = 4\n", with([](Settings& s) { s.scale = 4; }), 0},
        {"scale = 1\n", Settings{}, 0},
        {"\nscale = 5\n", Settings{}, 2},
        {"scale = 0\n", Settings{}, 1},
        {"scale = 2x\n", Settings{}, 1},
        {"volume = 0\n", with([](Settings& s) { s.volume = 0; }), 0},
        {"volume: 35 ; quieter\n", with([](Settings& s) { s.volume = 35; }), 0},
        {"volume = 101\n", Settings{}, 1},
        {"volume = -1\n", Settings{}, 1},
        {"mute = on\n", with([](Settings& s) { s.mute = true; }), 0},
        {"fps = 0\n", Settings{}, 0},
        {"fps = 10\n", with([](Settings& s) { s.frameCap = 10; }), 0},
        {"fps = 1000\n", with([](Settings& s) { s.frameCap = 1000; }), 0},
        {"fps = 9\n", Settings{}, 1},
        {"fps = 1001\n", Settings{}, 1},
        {"speed = 3\n", Settings{}, 1},
        {"volume 70\n", Settings{}, 1},
        {"[game]\nmute = true\n", Settings{}, 2},
        {"volume = 20\r\nmute = true\r\n", with([](Settings& s) { s.volume = 20, s.mute = true; }),
         0},
        {"volume = 20\nvolume = 30\n", with([](Settings& s) { s.volume = 30; }), 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        const settings::Read read = settings::readSettings(test.text, slowestCap, fastestCap);
        EXPECT_TRUE(read.values == test.read);
        ASSERT_EQ(read.problems.size(), test.problemLine == 0 ? 0U : 1U);
        if (test.problemLine != 0) {
            EXPECT_EQ(read.problems[0].line, test.problemLine);
        }
    }
    // Garbage and an overlong line are problems of their own lines; the good lines still count.
    std::string text = "volume = 40\n";
    text.append(300, 'x');
    text += "\nabc";
    text.push_back('\0');
    text += "def\nmute = true";
    const settings::Read read = settings::readSettings(text, slowestCap, fastestCap);
    EXPECT_EQ(read.values.volume, 40);
    EXPECT_TRUE(read.values.mute);
    ASSERT_EQ(read.problems.size(), 2U);
    EXPECT_EQ(read.problems[0].line, 2);
    EXPECT_EQ(read.problems[1].line, 3);
}

// The game changes only the values it was asked to, in place; the player's comments, order and
// other lines stay, sections are left alone and a missing key goes above them.
TEST(SettingsTest, WrittenChangesKeepThePlayersLines) {
    const std::string text =
        "# mine\nvolume = 50   ; quiet at night\nscale=2\n\n[notes]\nmute = no\n";
    const std::string changed =
        settings::withChanges(text, {{settings::volumeKey, "60"}, {settings::muteKey, "true"}});
    EXPECT_EQ(changed, "# mine\nvolume = 60   ; quiet at night\nscale=2\n\nmute = true\n"
                       "[notes]\nmute = no\n");
    const settings::Read read = settings::readSettings(changed, slowestCap, fastestCap);
    EXPECT_EQ(read.values.volume, 60);
    EXPECT_TRUE(read.values.mute);
    EXPECT_EQ(read.values.scale, 2);
    // A new file starts with a word on what it is.
    const std::string fresh = settings::withChanges("", {{settings::fullscreenKey, "true"}});
    EXPECT_EQ(fresh.rfind("fullscreen = true\n"), fresh.size() - 18);
    EXPECT_EQ(fresh.front(), '#');
    EXPECT_TRUE(settings::readSettings(fresh, slowestCap, fastestCap).values.fullscreen);
}

// Odd lines are decided as the reader decides them, so the changes written are the ones read: a '['
// opening no section, an indented line continuing the value above (or would, once a key is added
// above an indented section), a line with no key, a line the new value makes longer than is read.
TEST(SettingsTest, ChangesWrittenAmongOddLinesAreTheOnesRead) {
    std::vector<std::string> texts = {
        "[window\nvolume = 10\n", "fps = 60\n  volume = 10\n", "volume = 20\n  30\n",
        "= 1\n  volume = 10\n",   "# mine\n  [window]\n",
    };
    texts.push_back(std::string("volume = 1 ;").append(186, '.').append("\n"));
    for (const std::string& text : texts) {
        const std::string changed = settings::withChanges(text, {{settings::volumeKey, "40"}});
        EXPECT_EQ(settings::readSettings(changed, slowestCap, fastestCap).values.volume, 40)
            << text << " became\n"
            << changed;
    }
}

// The file on disk: each problem one line naming the file and line, the file only read; changes
// written through the safe path, which leaves nothing behind but the settings and their lock.
TEST(SettingsTest, TheFileIsReadWithOneLineAProblemAndWrittenWhole) {
    const testing_support::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "ghoulrun" / "settings.ini";
    std::ostringstream errors;
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap) == Settings{});
    EXPECT_EQ(errors.str(), "");
    ASSERT_TRUE(settings::saveChanges(file, {{settings::volumeKey, "70"}}, errors));
    std::ofstream(file, std::ios::app) << "volume = 300\n";
    const std::string before = testing_support::contentsOf(file);
    EXPECT_EQ(settings::loadSettings(file, errors, slowestCap, fastestCap).volume, 100);
    EXPECT_EQ(errors.str(), "ghoulrun: " + file.string() +
                                ":4: volume = 300 is not a whole number from 0 to 100; the default "
                                "is used\n");
    EXPECT_EQ(testing_support::contentsOf(file), before) << "reading never writes";
    // An overlarge file reads as the defaults with one line, unread; saving moves it aside, whole.
    const std::string big = "volume = 10\n" + std::string(settings::largestFileBytes, ';') + "\n";
    std::ofstream(file) << big;
    errors.str("");
    const std::string tooLarge = "ghoulrun: " + file.string() + ": larger than " +
                                 std::to_string(settings::largestFileBytes) + " bytes";
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap) == Settings{});
    EXPECT_TRUE(settings::saveChanges(file, {{settings::muteKey, "true"}}, errors));
    EXPECT_EQ(errors.str(), tooLarge + "; the default settings are used\n" + tooLarge +
                                "; kept as " + file.string() + ".damaged\n");
    EXPECT_EQ(testing_support::contentsOf(file.string() + ".damaged"), big);
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap).mute);
}

// The command line decides for its run; what it leaves, the file decides; the file is not told.
TEST(SettingsTest, TheCommandLineWinsForItsRunAndIsNotSaved) {
    const std::filesystem::path file = settings::settingsFile();
    ASSERT_FALSE(file.empty());
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "scale = 3\nfps = 60\nvolume = 40\n";
    const char* given[] = {"ghoulrun", "--scale", "2", "--fps", "30"};
    const RunOptions chosen = withPlayerSettings(readCommandLine(5, given).options);
    EXPECT_EQ(chosen.scale, 2);
    EXPECT_EQ(chosen.fps, 30);
    EXPECT_EQ(chosen.fullscreen, false);
    const char* none[] = {"ghoulrun"};
    const RunOptions fromFile = withPlayerSettings(readCommandLine(1, none).options);
    EXPECT_EQ(fromFile.scale, 3);
    EXPECT_EQ(fromFile.fps, 60);
    const std::string before = testing_support::contentsOf(file);
    savePlayerSettings(); // nothing changed while playing
    EXPECT_EQ(testing_support::contentsOf(file), before);
    std::filesystem::remove(file);
}

} // namespace
