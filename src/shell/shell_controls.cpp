// The shell's own controls: which polled events pause the run or switch to the whole screen
// instead of reaching the pieces.
#include "shell/shell_controls.h"

#include "shell/pause.h"
#include "shell/shell_keys.h"
#include "shell/window.h"

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
