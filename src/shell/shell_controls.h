// The shell's controls: the one table of the input events the shell takes for itself before the
// hero sees them, in play, while paused and on the results card, and the pad's keys.
#pragma once

#include "platform/gamepad.h"

#include <SDL/SDL.h>

// What a control of the shell's asks for.
enum class ShellCommand {
    none,        // not the shell's: the event goes to the pieces
    pause,       // Esc or Pause: pauses a run, resumes a paused one
    focusLost,   // the window lost the input focus: pauses; only a key resumes
    fullscreen,  // F11, or Enter with either Alt key held
    volumeDown,  // - and keypad -
    volumeUp,    // = and keypad +
    mute,        // m
    letGo,       // one of the shell's keys let go: the shell's too, never the hero's
    playAgain,   // Space or Enter (not with Alt) on the card of a live run
    quit,        // q on the card, where the dying hero hears nothing: as the hero's q
    closeWindow, // the window closed while paused or on the card: the run ends with the report
};

// Where the shell is when the event arrives.
enum class ShellScene { playing, paused, card };

// The command the table gives `event` in `scene`; none when it is no control of the shell's there.
ShellCommand shellCommandFor(const SDL_Event& event, ShellScene scene);

// The frame's event poll hands each event here first (in play, or with the card up). When it is
// one of the shell's controls, acts on it and returns true: the event is then not the frame's.
// The window closed on the card is left to the frame (and a recording), with the run set to end
// after it; a replay offers no new run.
bool takeShellControl(const SDL_Event& event);

// Acts on a volume or screen command in any scene: true when it was one of them.
bool actOnSettingsCommand(ShellCommand command);

// The pad's controls, each standing for the key that the tables of the shell and the hero read.
inline constexpr platform::PadKeys padKeys{.left = SDLK_LEFT,
                                           .right = SDLK_RIGHT,
                                           .up = SDLK_UP,
                                           .down = SDLK_DOWN,
                                           .sword = SDLK_SPACE,
                                           .jump = SDLK_LCTRL,
                                           .start = SDLK_PAUSE};
