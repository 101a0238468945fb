// The shell's own controls: which polled events pause the run instead of reaching the pieces.
#include "shell/shell_controls.h"

#include "shell/pause.h"

bool takeShellControl(const SDL_Event& event) {
    if (isPauseKey(event) || isFocusLoss(event)) {
        requestPause();
        return true;
    }
    return false;
}
