// The shell's own controls: which polled events pause the run, switch to the whole screen or
// start a new run instead of reaching the pieces.
#include "shell/shell_controls.h"

#include "replay/session.h"
#include "shell/pause.h"
#include "shell/play_again.h"
#include "shell/player_settings.h"
#include "shell/run_results.h"
#include "shell/shell_keys.h"
#include "shell/window.h"

bool takeShellControl(const SDL_Event& event) {
    if (takeVolumeKey(event)) {
        return true;
    }
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
    // A replay ends where its recording ends: it offers no new run.
    if (resultsShown() && isPlayAgainKey(event) && !replay::replaying()) {
        requestPlayAgain();
        return true;
    }
    return false;
}
