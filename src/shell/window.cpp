// SDL and the game's one window: opening it at start-up, switching it to the whole screen.
#include "shell/window.h"

#include "platform/compat_hints.h"
#include "platform/display_loss.h"
#include "platform/gamepad.h"
#include "shell/shell_controls.h"
#include "state/globals.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* windowCaption = "Ghoulrun";
constexpr int screenDepth = 32;
constexpr Uint32 videoFlags = SDL_HWSURFACE | SDL_HWACCEL | SDL_DOUBLEBUF;

// With no display at all SDL falls back to drawing into memory, where nobody can see or steer
// the game; unless that driver was asked for by name, it counts as having no display.
constexpr const char* memoryVideoDriver = "offscreen";
constexpr const char* noDisplayMessage = "no display to show the window on";

bool displayIsVisible() {
    char driver[32] = {};
    SDL_VideoDriverName(driver, sizeof driver);
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return std::strcmp(driver, memoryVideoDriver) != 0 ||
           (requested != nullptr && std::strstr(requested, memoryVideoDriver) != nullptr);
}

bool failStartUp(const char* format) {
    std::fprintf(stderr, format, SDL_GetError());
    return false;
}

} // namespace

bool openWindow(bool fullscreen, int scale) {
    platform::CompatibilityHints hints;
    hints.windowScale = scale;
    platform::setCompatibilityHints(hints);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        return failStartUp("Unable to init SDL: %s\n");
    }
    if (!displayIsVisible()) {
        SDL_SetError("%s", noDisplayMessage);
        return failStartUp("Unable to init SDL: %s\n");
    }
    screen = SDL_SetVideoMode(screenWidth, screenHeight, screenDepth,
                              videoFlags | (fullscreen ? SDL_FULLSCREEN : 0));
    if (screen == nullptr) {
        return failStartUp("Unable to set 800x600 video: %s\n");
    }
    SDL_WM_SetCaption(windowCaption, nullptr);
    SDL_Init(SDL_INIT_EVERYTHING);
    platform::openGamepad(padKeys);
    // From here on the display is ours to lose; SDL's own teardown must never run after that.
    platform::endOnLostDisplay();
    return true;
}

bool isFullscreen() {
    return screen != nullptr && (screen->flags & SDL_FULLSCREEN) != 0;
}

void toggleFullscreen() {
    if (screen != nullptr) {
        SDL_WM_ToggleFullScreen(screen);
    }
}
