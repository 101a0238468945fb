// The data folder: which folder the game enters for its data, and what it says when there is none.
#include "shell/data_folder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path installedData = "../share/games/ghoulrun"; // relative to the binary, as built

class DataLayouts : public testing::Test { // folders laid out under one temporary root
  protected:
    void SetUp() override {
        for (const char* folder :
             {"usr/games", "usr/share/games/ghoulrun/images", "empty", "bare/games", "odd/games"}) {
            fs::create_directories(root() / folder);
        }
        for (const char* file : {"build/game/images/city2.bmp", "build/game/sfx/death/gameover.wav",
                                 "build/game/pompeii.ogg", "damaged/sfx/sword/slash.wav",
                                 "music-only/pompeii.ogg", "odd/share/games/ghoulrun"}) {
            fs::create_directories((root() / file).parent_path());
            std::ofstream(root() / file) << "x";
        }
    }

    fs::path root() const { return folder.path(); }
    // An empty name stays empty: "no such folder".
    fs::path at(const std::string& name) const { return name.empty() ? fs::path() : root() / name; }

    testing_support::TemporaryFolder folder;
};

// What, --data, the binary's folder, the working folder (empty: none), the folder located, found.
const struct {
    const char *what, *given, *program, *working, *expected;
    bool found;
} locateCases[] = {
    {"--data beats installed data", "empty", "usr/games", "build/game", "empty", 1},
    {"--data taken where nothing is", "nowhere", "usr/games", "empty", "nowhere", 1},
    {"installed beats a run folder", "", "usr/games", "build/game", "usr/share/games/ghoulrun", 1},
    {"a damaged run folder", "", "bare/games", "damaged", "damaged", 1},
    {"music alone makes a run folder", "", "bare/games", "music-only", "music-only", 1},
    {"the build's run folder, from elsewhere", "", "build/game", "empty", "build/game", 1},
    {"a file is no installed folder", "", "odd/games", "empty", "odd/share/games/ghoulrun", 0},
    {"no data: installed one missing", "", "bare/games", "empty", "bare/share/games/ghoulrun", 0},
    {"binary not located: working folder", "", "", "empty", "empty", 1},
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

} // namespace
