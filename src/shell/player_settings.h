// The player's settings for this run: the settings file's, with the command line's on top for this
// run only; the volume and mute keys; and the changes made while playing, written back when a run
// ends.
#pragma once

#include "settings/settings.h"
#include "shell/game.h"

#include <SDL/SDL.h>

// The options this run plays with: each one the command line gave, else the settings file's (not
// read for a headless replay, which has neither window nor sound), else the default. Problems of
// the file are told on standard error, one line each. Before start-up.
RunOptions withPlayerSettings(const RunOptions& given);

// The settings the run plays with: the file's, the command line's on top, as play has changed
// them since. After withPlayerSettings.
const settings::Settings& playerSettings();

// Plays at the volume the run started with. After the sound engine's start.
void applyPlayerVolume();

// The volume keys' commands (the shell's table of controls): turns effects and music down or up
// by `steps` steps within the volume's range, or mutes and unmutes; each shows the new level for
// a moment. Paused or not; game time and the run's events never see them.
void changeVolume(int steps);
void switchMute();

// Turns a yes-or-no setting over for the rest of the run: a shell key's command for a setting of
// its own. Saved as the run ends when the table keeps that setting from play.
void switchSetting(bool settings::Settings::*flag);

// Draws the volume indicator while a change is fresh, in real time; says whether it drew it.
bool showVolumeIndicator();

// Writes what changed while playing (the whole screen, the volume, mute) into the settings file,
// never what the command line chose; nothing when nothing changed. When a run ends: at the
// process's end, and before a new run starts.
void savePlayerSettings();
