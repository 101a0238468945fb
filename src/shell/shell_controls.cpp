// The shell's controls: the table, and the one dispatcher of its commands in play and on the card.
#include "shell/shell_controls.h"

#include "replay/session.h"
#include "shell/pause_request.h"
#include "shell/play_again.h"
#include "shell/player_settings.h"
#include "shell/run_results.h"
#include "shell/window.h"
#include "state/globals.h"

namespace {

// Which scenes a row holds in, as bits.
constexpr unsigned inPlay = 1U << static_cast<unsigned>(ShellScene::playing);
constexpr unsigned whilePaused = 1U << static_cast<unsigned>(ShellScene::paused);
constexpr unsigned onCard = 1U << static_cast<unsigned>(ShellScene::card);
constexpr unsigned everywhere = inPlay | whilePaused | onCard;

// How a key row looks at the Alt keys.
enum class Alt { any, held, notHeld };

struct ControlRow {
    Uint8 type; // the event's type
    SDLKey key; // for a key event
    Alt alt;
    unsigned scenes;
    ShellCommand command;
};

// A focus row matches a loss of the input focus; its key is not looked at.
constexpr ControlRow controls[] = {
    {SDL_KEYDOWN, SDLK_ESCAPE, Alt::any, everywhere, ShellCommand::pause},
    {SDL_KEYDOWN, SDLK_PAUSE, Alt::any, everywhere, ShellCommand::pause},
    {SDL_ACTIVEEVENT, SDLK_UNKNOWN, Alt::any, inPlay | onCard, ShellCommand::focusLost},
    {SDL_KEYDOWN, SDLK_F11, Alt::any, everywhere, ShellCommand::fullscreen},
    {SDL_KEYDOWN, SDLK_RETURN, Alt::held, everywhere, ShellCommand::fullscreen},
    {SDL_KEYDOWN, SDLK_KP_ENTER, Alt::held, everywhere, ShellCommand::fullscreen},
    {SDL_KEYDOWN, SDLK_MINUS, Alt::any, everywhere, ShellCommand::volumeDown},
    {SDL_KEYDOWN, SDLK_KP_MINUS, Alt::any, everywhere, ShellCommand::volumeDown},
    {SDL_KEYDOWN, SDLK_EQUALS, Alt::any, everywhere, ShellCommand::volumeUp},
    {SDL_KEYDOWN, SDLK_KP_PLUS, Alt::any, everywhere, ShellCommand::volumeUp},
    {SDL_KEYDOWN, SDLK_m, Alt::any, everywhere, ShellCommand::mute},
    {SDL_KEYUP, SDLK_ESCAPE, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_PAUSE, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_F11, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_MINUS, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_KP_MINUS, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_EQUALS, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_KP_PLUS, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYUP, SDLK_m, Alt::any, everywhere, ShellCommand::letGo},
    {SDL_KEYDOWN, SDLK_SPACE, Alt::notHeld, onCard, ShellCommand::playAgain},
    {SDL_KEYDOWN, SDLK_RETURN, Alt::notHeld, onCard, ShellCommand::playAgain},
    {SDL_KEYDOWN, SDLK_KP_ENTER, Alt::notHeld, onCard, ShellCommand::playAgain},
    {SDL_KEYDOWN, SDLK_q, Alt::any, onCard, ShellCommand::quit},
    {SDL_QUIT, SDLK_UNKNOWN, Alt::any, whilePaused | onCard, ShellCommand::closeWindow},
};

bool altMatches(Alt alt, const SDL_Event& event) {
    const bool held = (event.key.keysym.mod & KMOD_ALT) != 0;
    return alt == Alt::any || held == (alt == Alt::held);
}

bool rowMatches(const ControlRow& row, const SDL_Event& event) {
    switch (row.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.keysym.sym == row.key && altMatches(row.alt, event);
    case SDL_ACTIVEEVENT:
        return event.active.gain == 0 && (event.active.state & SDL_APPINPUTFOCUS) != 0;
    default:
        return true;
    }
}

} // namespace

ShellCommand shellCommandFor(const SDL_Event& event, ShellScene scene) {
    const unsigned sceneBit = 1U << static_cast<unsigned>(scene);
    for (const ControlRow& row : controls) {
        if (row.type == event.type && (row.scenes & sceneBit) != 0 && rowMatches(row, event)) {
            return row.command;
        }
    }
    return ShellCommand::none;
}

bool actOnSettingsCommand(ShellCommand command) {
    switch (command) {
    case ShellCommand::fullscreen:
        toggleFullscreen();
        return true;
    case ShellCommand::volumeDown:
        changeVolume(-1);
        return true;
    case ShellCommand::volumeUp:
        changeVolume(1);
        return true;
    case ShellCommand::mute:
        switchMute();
        return true;
    default:
        return false;
    }
}

bool takeShellControl(const SDL_Event& event) {
    const ShellCommand command =
        shellCommandFor(event, resultsShown() ? ShellScene::card : ShellScene::playing);
    switch (command) {
    case ShellCommand::none:
        return false;
    case ShellCommand::pause:
    case ShellCommand::focusLost:
        requestPause();
        return true;
    case ShellCommand::playAgain:
        // A replay ends where its recording ends: it offers no new run.
        if (replay::replaying()) {
            return false;
        }
        requestPlayAgain();
        return true;
    case ShellCommand::quit:
        quitAtOnce = true;
        return true;
    case ShellCommand::closeWindow:
        // As closing in play: the report follows the frame, and a recording keeps the event.
        gameState = stateQuit;
        return false;
    default:
        actOnSettingsCommand(command);
        return true;
    }
}
