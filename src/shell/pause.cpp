// The pause: holding the frame clock and the sound, showing the banner, waiting for the player.
#include "shell/pause.h"

#include "pieces/player.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "render/screen_blit.h"
#include "replay/session.h"
#include "shell/shell_keys.h"
#include "shell/window.h"
#include "sound/sound_engine.h"
#include "state/globals.h"

namespace {

constexpr const char* bannerFile = "images/paused.bmp";
// The banner's see-through colour, the one of the bar and the scenery: (0, 30, 255).
constexpr Uint8 keyRed = 0;
constexpr Uint8 keyGreen = 30;
constexpr Uint8 keyBlue = 255;

// While paused, the queue and the pad are looked at this often.
constexpr Uint32 pausedLookMs = 15;

bool requested = false;
bool paused = false;
SDL_Surface* banner = nullptr;
// The last key event that arrived while paused, handed on to the first frame after the pause.
SDL_Event heldKey{};
bool keyHeld = false;

bool heroIsDying() {
    const auto* hero = dynamic_cast<const player*>(pieces[heroSlot]);
    return hero != nullptr && hero->hasDied();
}

void showBanner() {
    if (banner != nullptr && !screenBlitsSkipped()) {
        SDL_Rect at{static_cast<Sint16>((screen->w - banner->w) / 2),
                    static_cast<Sint16>((screen->h - banner->h) / 2), 0, 0};
        blitToScreen(banner, nullptr, &at);
        SDL_Flip(screen);
    }
}

} // namespace

void requestPause() {
    requested = true;
}

bool pauseRequested() {
    return requested;
}

void loadPauseBanner() {
    releasePauseBanner();
    SDL_RWops* file = SDL_RWFromFile(bannerFile, "rb");
    SDL_Surface* loaded = file != nullptr ? SDL_LoadBMP_RW(file, 1) : nullptr;
    if (loaded == nullptr) {
        return;
    }
    banner = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (banner != nullptr) {
        SDL_SetColorKey(banner, SDL_SRCCOLORKEY,
                        SDL_MapRGB(banner->format, keyRed, keyGreen, keyBlue));
    }
}

void releasePauseBanner() {
    SDL_FreeSurface(banner);
    banner = nullptr;
}

bool beginPause() {
    requested = false;
    if (paused || replay::replaying() || heroIsDying()) {
        return false;
    }
    paused = true;
    keyHeld = false;
    replay::holdClock();
    SoundEngine::pauseSound();
    showBanner();
    return true;
}

bool handlePausedEvent(const SDL_Event& event) {
    if (isPauseKey(event)) {
        return true;
    }
    if (isFullscreenToggle(event)) {
        toggleFullscreen();
        showBanner();
        return false;
    }
    switch (event.type) {
    case SDL_QUIT:
        // Closing the window ends the run as it always does: through the frame after the pause,
        // which also puts it in a recording.
        heldKey = event;
        keyHeld = true;
        return true;
    case SDL_VIDEOEXPOSE:
        showBanner();
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        heldKey = event;
        keyHeld = true;
        return false;
    default:
        return false;
    }
}

void endPause() {
    if (!paused) {
        return;
    }
    paused = false;
    replay::releaseClock();
    SoundEngine::resumeSound();
    if (keyHeld) {
        SDL_PushEvent(&heldKey);
        keyHeld = false;
    }
}

void pauseUntilResumed() {
    if (!beginPause()) {
        return;
    }
    // The pad is read, not heard: a short sleep between looks, never a spin.
    SDL_Event event;
    while (!platform::endRequested()) {
        platform::pollGamepad();
        if (SDL_PollEvent(&event) == 0) {
            platform::delay(pausedLookMs);
        } else if (handlePausedEvent(event)) {
            break;
        }
    }
    endPause();
}
