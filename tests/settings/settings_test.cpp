// The settings file read by the table of settings, and written among the player's lines.
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>

namespace {

using settings::Settings;

constexpr int slowestCap = 10;
constexpr int fastestCap = 1000;

Settings with(void (*change)(Settings&)) {
    Settings changed;
    change(changed);
    return changed;
}

// Each text read alone: what it sets, and the line of its one problem (0: none).
TEST(SettingsTest, ABadLineCostsOnlyItself) {
    const struct {
        const char* text;
        Settings read;
        int problemLine;
    } cases[] = {
        {"", Settings{}, 0},
        {"# a comment\n; another\n\n", Settings{}, 0},
        {"fullscreen=yes", with([](Settings& s) { s.fullscreen = true; }), 0},
        {"volume: 35 ; quieter\n", with([](Settings& s) { s.volume = 35; }), 0},
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
        EXPECT_EQ(read.values, test.read);
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

// Every row of the table: the values at its edges read, and a value past them, a word it does not
// take or none at all is a problem of its line that puts the key back at its default.
TEST(SettingsTest, EverySettingTakesWhatItsRowSaysAndNothingElse) {
    for (const settings::Setting& row : settings::table) {
        SCOPED_TRACE(row.key);
        const std::string key(row.key);
        const bool yesOrNo = row.takes == settings::Takes::yesOrNo;
        const bool cap = row.takes == settings::Takes::frameCap;
        const int smallest = cap ? slowestCap : row.smallest;
        const int largest = cap ? fastestCap : row.largest;
        // Each value with what it reads as (a yes-or-no as 1 or 0).
        std::vector<std::pair<std::string, int>> taken = {{"true", 1}, {"yes", 1},   {"on", 1},
                                                          {"1", 1},    {"false", 0}, {"no", 0},
                                                          {"off", 0},  {"0", 0}};
        std::vector<std::string> refused = {"", "maybe", "2", "-1", "tru"};
        if (!yesOrNo) {
            taken = {{std::to_string(smallest), smallest}, {std::to_string(largest), largest}};
            refused = {"", std::to_string(smallest - 1), std::to_string(largest + 1),
                       std::to_string(smallest) + "x", "true"};
        }
        if (cap) {
            taken.emplace_back("0", 0);
        }
        const auto valueOf = [&](const Settings& s) {
            return yesOrNo ? static_cast<int>(s.*row.flag) : s.*row.number;
        };
        EXPECT_EQ(valueOf(Settings{}), row.byDefault);
        for (const auto& [value, reads] : taken) {
            const settings::Read read =
                settings::readSettings(key + " = " + value, slowestCap, fastestCap);
            EXPECT_EQ(valueOf(read.values), reads) << value;
            EXPECT_TRUE(read.problems.empty()) << value;
        }
        const std::string other = std::find_if(taken.begin(), taken.end(), [&](const auto& value) {
                                      return value.second != row.byDefault;
                                  })->first;
        for (const std::string& value : refused) {
            const settings::Read read = settings::readSettings(
                key + " = " + other + "\n" + key + " = " + value, slowestCap, fastestCap);
            EXPECT_EQ(read.values, Settings{}) << value;
            ASSERT_EQ(read.problems.size(), 1U) << value;
            EXPECT_EQ(read.problems[0].line, 2);
        }
    }
}

// The game changes only the values it was asked to, in place; the player's comments, order and
// other lines stay, sections are left alone and a missing key goes above them.
TEST(SettingsTest, WrittenChangesKeepThePlayersLines) {
    const std::string text =
        "# mine\nvolume = 50   ; quiet at night\nscale=2\n\n[notes]\nmute = no\n";
    const std::string changed = settings::withChanges(text, {{"volume", "60"}, {"mute", "true"}});
    EXPECT_EQ(changed, "# mine\nvolume = 60   ; quiet at night\nscale=2\n\nmute = true\n"
                       "[notes]\nmute = no\n");
    const settings::Read read = settings::readSettings(changed, slowestCap, fastestCap);
    EXPECT_EQ(read.values.volume, 60);
    EXPECT_TRUE(read.values.mute);
    EXPECT_EQ(read.values.scale, 2);
    // A new file starts with a word on what it is.
    const std::string fresh = settings::withChanges("", {{"fullscreen", "true"}});
    EXPECT_EQ(fresh.rfind("fullscreen = true\n"), fresh.size() - 18);
    EXPECT_EQ(fresh.front(), '#');
    EXPECT_TRUE(settings::readSettings(fresh, slowestCap, fastestCap).values.fullscreen);
}

// The file on disk: each problem one line naming the file and line, the file only read; changes
// written through the safe path, which leaves nothing behind but the settings and their lock.
TEST(SettingsTest, TheFileIsReadWithOneLineAProblemAndWrittenWhole) {
    const testing_support::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "ghoulrun" / "settings.ini";
    std::ostringstream errors;
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap) == Settings{});
    EXPECT_EQ(errors.str(), "");
    ASSERT_TRUE(settings::saveChanges(file, {{"volume", "70"}}, errors));
    std::ofstream(file, std::ios::app) << "volume = 300\n";
    const std::string before = testing_support::contentsOf(file);
    EXPECT_EQ(settings::loadSettings(file, errors, slowestCap, fastestCap).volume, 100);
    EXPECT_EQ(errors.str(), "ghoulrun: " + file.string() +
                                ":4: volume = 300 is not a whole number from 0 to 100; the default "
                                "is used\n");
    EXPECT_EQ(testing_support::contentsOf(file), before) << "reading never writes";
    // Past the first few, the rest of the problems are counted, not told one by one.
    std::ofstream out(file);
    for (int line = 0; line < 10; ++line) {
        out << "volume = 300\n";
    }
    out.close();
    errors.str("");
    settings::loadSettings(file, errors, slowestCap, fastestCap);
    const std::string told = errors.str();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 9);
    EXPECT_TRUE(
        told.ends_with("ghoulrun: " + file.string() + ": 2 more lines that are not settings\n"))
        << told;
    // An overlarge file reads as the defaults with one line, unread; saving moves it aside, whole.
    const std::string big = "volume = 10\n" + std::string(settings::largestFileBytes, ';') + "\n";
    std::ofstream(file) << big;
    errors.str("");
    const std::string tooLarge = "ghoulrun: " + file.string() + ": larger than " +
                                 std::to_string(settings::largestFileBytes) + " bytes";
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap) == Settings{});
    EXPECT_TRUE(settings::saveChanges(file, {{"mute", "true"}}, errors));
    EXPECT_EQ(errors.str(), tooLarge + "; the default settings are used\n" + tooLarge +
                                "; kept as " + file.string() + ".damaged\n");
    EXPECT_EQ(testing_support::contentsOf(file.string() + ".damaged"), big);
    EXPECT_TRUE(settings::loadSettings(file, errors, slowestCap, fastestCap).mute);
}

} // namespace
