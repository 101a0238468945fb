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

// The run's settings as it started, and the sound's as it is now.
settings::Settings atStart;
int volume = atStart.volume;
bool muted = atStart.mute;
bool indicatorShown = false;
Uint32 indicatorSince = 0;

void applyVolume() {
    SoundEngine::setVolume(muted ? 0 : volume);
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
    chosen.fps = given.fps.value_or(atStart.frameCap);
    chosen.fullscreen = given.fullscreen.value_or(atStart.fullscreen);
    chosen.scale = given.scale.value_or(atStart.scale);
    // The screen the run starts on is the one a change is measured against.
    atStart.fullscreen = *chosen.fullscreen;
    volume = atStart.volume;
    muted = atStart.mute;
    return chosen;
}

void applyPlayerVolume() {
    const settings::Settings defaults;
    if (volume != defaults.volume || muted != defaults.mute) {
        applyVolume();
    }
}

void changeVolume(int steps) {
    volume = std::clamp(volume + steps * settings::volumeStep, settings::quietestVolume,
                        settings::loudestVolume);
    applyVolume();
    showNewLevel();
}

void switchMute() {
    muted = !muted;
    applyVolume();
    showNewLevel();
}

bool showVolumeIndicator() {
    if (indicatorShown && platform::ticks() - indicatorSince < indicatorMs) {
        drawVolumeIndicator(volume, muted);
    } else {
        indicatorShown = false;
    }
    return indicatorShown;
}

void savePlayerSettings() {
    std::vector<settings::Change> changes;
    const bool fullscreen = isFullscreen();
    if (fullscreen != atStart.fullscreen) {
        changes.push_back({settings::fullscreenKey, settings::asText(fullscreen)});
    }
    if (volume != atStart.volume) {
        changes.push_back({settings::volumeKey, settings::asText(volume)});
    }
    if (muted != atStart.mute) {
        changes.push_back({settings::muteKey, settings::asText(muted)});
    }
    if (!changes.empty() && settings::saveChanges(settings::settingsFile(), changes, std::cerr)) {
        atStart.fullscreen = fullscreen;
        atStart.volume = volume;
        atStart.mute = muted;
    }
}
