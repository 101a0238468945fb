// The data folder: which folder the game enters for its pictures, sounds and music, what a
// player sees when there is none, and recordings that stay found after the game has moved.
#include "shell/data_folder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// The installed layout's data folder relative to the binary, as the build fixes it.
const fs::path installedData = "../share/games/ghoulrun";

void makeFile(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

// Folders laid out under one temporary root, by what they hold.
class DataLayouts : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root() / "usr/games");
        fs::create_directories(root() / "usr/share/games/ghoulrun/images");
        for (const char* entry : {"images/city2.bmp", "sfx/death/gameover.wav", "pompeii.ogg"}) {
            makeFile(root() / "build/game" / entry);
        }
        makeFile(root() / "damaged/sfx/sword/slash.wav");
        makeFile(root() / "music-only/pompeii.ogg");
        fs::create_directories(root() / "empty");
        fs::create_directories(root() / "bare/games");
        fs::create_directories(root() / "odd/games");
        makeFile(root() / "odd/share/games/ghoulrun");
    }

    fs::path root() const { return folder.path(); }
    // An empty name stays empty: "no such folder".
    fs::path at(const std::string& name) const { return name.empty() ? fs::path() : root() / name; }

    testing_support::TemporaryFolder folder;
};

// What, --data (empty for none), the binary's folder (empty when unknown), the working folder,
// the folder located and whether it holds the data.
const struct {
    const char *what, *given, *program, *working, *expected;
    bool found;
} locateCases[] = {
    {"--data wins over an installed data folder", "empty", "usr/games", "build/game", "empty",
     true},
    {"--data is taken as given, even where nothing is", "nowhere", "usr/games", "empty", "nowhere",
     true},
    {"the installed data beside the binary wins over a working run folder", "", "usr/games",
     "build/game", "usr/share/games/ghoulrun", true},
    {"a damaged run folder is still the run folder", "", "bare/games", "damaged", "damaged", true},
    {"a working folder with only the music is a run folder", "", "bare/games", "music-only",
     "music-only", true},
    {"the build's run folder, started from elsewhere", "", "build/game", "empty", "build/game",
     true},
    {"a file where the installed folder should be is not taken", "", "odd/games", "empty",
     "odd/share/games/ghoulrun", false},
    {"no data anywhere: the installed folder is reported missing", "", "bare/games", "empty",
     "bare/share/games/ghoulrun", false},
    {"a binary that cannot be located stays in the working folder", "", "", "empty", "empty", true},
};

TEST_F(DataLayouts, LocatesTheFirstFolderThatHoldsTheData) {
    for (const auto& test : locateCases) {
        SCOPED_TRACE(test.what);
        const DataLocation located =
            locateData({at(test.given), at(test.program), at(test.working), installedData});
        EXPECT_EQ(located.folder, at(test.expected));
        EXPECT_EQ(located.found, test.found);
    }
}

TEST_F(DataLayouts, EntersTheGivenFolderOrSaysWhyNotInOneLine) {
    const struct {
        const char* given;
        bool entered;
        const char* reason; // after "ghoulrun: <folder>: "
    } cases[] = {{"empty", true, ""},
                 {"nowhere", false, "No such file or directory"},
                 {"music-only/pompeii.ogg", false, "Not a directory"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.given);
        testing_support::WorkingFolder stay(root());
        testing::internal::CaptureStderr();
        const bool entered = enterDataFolder(at(test.given));
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(entered, test.entered);
        EXPECT_EQ(fs::current_path(), test.entered ? at(test.given) : root());
        EXPECT_EQ(errors, test.entered
                              ? ""
                              : "ghoulrun: " + at(test.given).string() + ": " + test.reason + "\n");
    }
}

TEST_F(DataLayouts, RecordingsAreNamedFromTheFolderTheGameWasStartedIn) {
    testing_support::WorkingFolder stay(root() / "empty");
    const std::pair<std::string, fs::path> cases[] = {
        {"run.rec", root() / "empty/run.rec"},
        {"../damaged/run.rec", root() / "empty/../damaged/run.rec"},
        {"/tmp/run.rec", "/tmp/run.rec"},
        {"", ""}};
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(fromWorkingFolder(typed), expected.string()) << typed;
    }
}

} // namespace
