// The shell's own controls: which polled events pause the run or switch to the whole screen
// instead of reaching the pieces.
#include "shell/shell_controls.h"

#include "shell/globals.h"
#include "shell/pause.h"

bool isFullscreenToggle(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_F11 ||
           ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT) != 0);
}

void toggleFullscreen() {
    if (screen != nullptr) {
        SDL_WM_ToggleFullScreen(screen);
    }
}

// The shell's keys let go: they are the shell's too, and must not stand in for a held key.
bool isShellKeyLetGo(const SDL_Event& event) {
    if (event.type != SDL_KEYUP) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_ESCAPE || key == SDLK_PAUSE || key == SDLK_F11;
}

bool takeShellControl(const SDL_Event& event) {
    if (isShellKeyLetGo(event)) {
        return true;
    }
    if (isPauseKey(event) || isFocusLoss(event)) {
        requestPause();
        return true;
    }
    if (isFullscreenToggle(event)) {
        toggleFullscreen();
        return true;
    }
    return false;
}
