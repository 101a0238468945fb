// The player's settings for a run: the file's under the command line's, the volume it starts at,
// and what play changed saved when a run ends.
#include "platform/clock.h"
#include "replay/session.h"
#include "settings/settings_file.h"
#include "shell/command_line.h"
#include "shell/player_settings.h"
#include "sound/sound_engine.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <SDL/SDL_mixer.h>

#include <fstream>
#include <utility>

namespace {

using testing_support::contentsOf;

// The mixer open, as the sound engine opens it, and a settings file to start from.
class PlayerSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024), 0);
        std::filesystem::create_directories(file.parent_path());
    }
    void TearDown() override {
        Mix_CloseAudio();
        std::filesystem::remove(file);
        replay::stop();
    }
    // A start-up with `text` in the settings file and the command line `words`.
    RunOptions startWith(const std::string& text, std::vector<const char*> words = {}) {
        std::ofstream(file) << text;
        words.insert(words.begin(), "ghoulrun");
        return withPlayerSettings(
            readCommandLine(static_cast<int>(words.size()), words.data()).options);
    }
    // The effects' and the music's volume in the mixer.
    static std::pair<int, int> mixerVolumes() { return {Mix_Volume(-1, -1), Mix_VolumeMusic(-1)}; }

    const std::filesystem::path file = settings::settingsFile();
};

// The command line decides for its run; what it leaves, the file decides; the file is not told.
TEST_F(PlayerSettingsTest, TheCommandLineWinsForItsRunAndIsNotSaved) {
    const RunOptions chosen = startWith("scale = 3\nfps = 60\n", {"--scale", "2"});
    EXPECT_EQ(chosen.scale, 2);
    EXPECT_EQ(chosen.fps, 60);
    EXPECT_EQ(chosen.fullscreen, false);
    EXPECT_EQ(playerSettings().scale, 2);
    EXPECT_FALSE(showVolumeIndicator()) << "no level shown before a volume key";
    EXPECT_EQ(startWith("scale = 3\nfps = 60\n", {"--fps", "30"}).fps, 30);
    EXPECT_EQ(startWith("scale = 3\nfps = 60\nvolume = 40\n").scale, 3);
    const std::string before = contentsOf(file);
    savePlayerSettings(); // nothing changed while playing
    EXPECT_EQ(contentsOf(file), before);
}

// A replay in a window keeps the recorded run's pace: the file's frame cap would slow it.
TEST_F(PlayerSettingsTest, AWindowedReplayIsNotCappedByTheFile) {
    const testing_support::TemporaryFolder folder;
    RunOptions options;
    options.replay.replayPath = (folder.path() / "run.rec").string();
    replay::begin({.recordPath = options.replay.replayPath, .replayPath = "", .headless = false});
    replay::stop();
    std::ofstream(file) << "fps = 60\nscale = 2\n";
    replay::begin(options.replay);
    const RunOptions chosen = withPlayerSettings(options);
    EXPECT_EQ(chosen.fps, 0);
    EXPECT_EQ(chosen.scale, 2);
}

// The run starts at the file's volume, muted when the file says so, whichever of the two it sets.
TEST_F(PlayerSettingsTest, TheRunStartsAtTheFilesVolumeAndMute) {
    const struct {
        const char* text;
        int percent; // heard
    } cases[] = {{"volume = 40\n", 40}, {"mute = true\n", 0}, {"volume = 70\nmute = yes\n", 0}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        SoundEngine::setVolume(test.percent);
        const std::pair<int, int> wanted = mixerVolumes();
        SoundEngine::setVolume(100);
        startWith(test.text);
        applyPlayerVolume();
        EXPECT_EQ(mixerVolumes(), wanted);
    }
}

// What the volume commands changed is written into the file, in place, when a run ends; a run that
// ends after it (played again) writes what changed since, even back to what the file first held.
TEST_F(PlayerSettingsTest, WhatPlayChangedIsSavedWhenARunEnds) {
    startWith("volume = 40   ; quiet\n# mine\n");
    changeVolume(-1);
    switchMute();
    savePlayerSettings();
    EXPECT_EQ(contentsOf(file), "volume = 30   ; quiet\n# mine\nmute = true\n");
    switchMute();
    savePlayerSettings();
    EXPECT_EQ(contentsOf(file), "volume = 30   ; quiet\n# mine\nmute = false\n");
}

// A volume key shows the new level for a second and a half of the game's clock, to the millisecond.
TEST_F(PlayerSettingsTest, TheNewLevelShowsForItsTimeAfterAVolumeKey) {
    platform::setTestClock(5000);
    changeVolume(-1);
    platform::setTestClock(5000 + 1499);
    EXPECT_TRUE(showVolumeIndicator());
    platform::setTestClock(5000 + 1500);
    EXPECT_FALSE(showVolumeIndicator());
}

} // namespace
