// The settings of the run: read once, changed by the volume keys and F11, saved when a run ends.
#include "shell/player_settings.h"

#include "platform/clock.h"
#include "render/volume_indicator.h"
#include "replay/session.h"
#include "settings/settings_file.h"
#include "shell/frame_pacer.h"
#include "shell/window.h"
#include "sound/sound_engine.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace {

// How long the indicator shows a new level, in ms of real time.
constexpr Uint32 indicatorMs = 1500;

// The run's settings as it started (or as last saved), and as play has changed them since.
settings::Settings atStart;
settings::Settings played;
bool indicatorShown = false;
Uint32 indicatorSince = 0;

void applyVolume() {
    SoundEngine::setVolume(played.mute ? 0 : played.volume);
}

void showNewLevel() {
    indicatorShown = true;
    indicatorSince = platform::ticks();
}

} // namespace

RunOptions withPlayerSettings(const RunOptions& given) {
    if (!replay::headless()) {
        atStart = settings::loadSettings(settings::settingsFile(), std::cerr,
                                         FramePacer::slowestCap, FramePacer::fastestCap);
    }
    RunOptions chosen = given;
    // A replay keeps the recorded run's pace, a recorded frame a frame: a cap would slow it.
    chosen.fps = given.fps.value_or(replay::replaying() ? 0 : atStart.frameCap);
    chosen.fullscreen = given.fullscreen.value_or(atStart.fullscreen);
    chosen.scale = given.scale.value_or(atStart.scale);
    // What the run starts with is what a change is measured against.
    atStart.fullscreen = *chosen.fullscreen;
    atStart.scale = *chosen.scale;
    atStart.frameCap = *chosen.fps;
    played = atStart;
    return chosen;
}

const settings::Settings& playerSettings() {
    return played;
}

void applyPlayerVolume() {
    const settings::Settings defaults;
    if (played.volume != defaults.volume || played.mute != defaults.mute) {
        applyVolume();
    }
}

void changeVolume(int steps) {
    played.volume = std::clamp(played.volume + steps * settings::volumeStep,
                               settings::quietestVolume, settings::loudestVolume);
    applyVolume();
    showNewLevel();
}

void switchSetting(bool settings::Settings::*flag) {
    played.*flag = !(played.*flag);
}

void switchMute() {
    switchSetting(&settings::Settings::mute);
    applyVolume();
    showNewLevel();
}

bool showVolumeIndicator() {
    if (indicatorShown && platform::ticks() - indicatorSince < indicatorMs) {
        drawVolumeIndicator(played.volume, played.mute);
    } else {
        indicatorShown = false;
    }
    return indicatorShown;
}

void savePlayerSettings() {
    played.fullscreen = isFullscreen();
    const std::vector<settings::Change> changes = settings::changesFromPlay(atStart, played);
    if (!changes.empty() && settings::saveChanges(settings::settingsFile(), changes, std::cerr)) {
        atStart = played;
    }
}
