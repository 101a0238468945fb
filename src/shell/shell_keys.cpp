// The shell's keys among the input events.
#include "shell/shell_keys.h"

bool isPauseKey(const SDL_Event& event) {
    return event.type == SDL_KEYDOWN &&
           (event.key.keysym.sym == SDLK_ESCAPE || event.key.keysym.sym == SDLK_PAUSE);
}

bool isFocusLoss(const SDL_Event& event) {
    return event.type == SDL_ACTIVEEVENT && event.active.gain == 0 &&
           (event.active.state & SDL_APPINPUTFOCUS) != 0;
}

bool isFullscreenToggle(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_F11 ||
           ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT) != 0);
}

bool isShellKeyLetGo(const SDL_Event& event) {
    if (event.type != SDL_KEYUP) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_ESCAPE || key == SDLK_PAUSE || key == SDLK_F11;
}
