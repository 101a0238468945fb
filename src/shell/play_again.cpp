// The request to play again, noted between the frame's event poll and the end of the frame.
#include "shell/play_again.h"

namespace {

bool requested = false;

} // namespace

bool isPlayAgainKey(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN || (event.key.keysym.mod & KMOD_ALT) != 0) {
        return false;
    }
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

void requestPlayAgain() {
    requested = true;
}

bool playAgainRequested() {
    return requested;
}

void clearPlayAgainRequest() {
    requested = false;
}
