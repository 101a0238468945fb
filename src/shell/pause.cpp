// The pause: holding the frame clock and the sound, showing the banner, waiting for the player.
#include "shell/pause.h"

#include "pieces/player.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "render/screen_blit.h"

#include "replay/session.h"
#include "shell/player_settings.h"
#include "shell/shell_keys.h"
#include "shell/window.h"
#include "sound/sound_engine.h"
#include "state/globals.h"
#include <algorithm>
#include <array>
#include <cstddef>

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
// The key events (and a closing of the window) that arrived while paused, in order, handed on to
// the frames after the pause: a key let go while paused must still reach the game, or the hero
// would run on with no key held. Room for more than anyone presses in a pause; past that the
// oldest gives way.
constexpr int keptEventRoom = 32;
std::array<SDL_Event, keptEventRoom> keptEvents{};
int keptCount = 0;

void keepEvent(const SDL_Event& event) {
    if (keptCount == keptEventRoom) {
        std::move(keptEvents.begin() + 1, keptEvents.end(), keptEvents.begin());
        --keptCount;
    }
    keptEvents[static_cast<std::size_t>(keptCount++)] = event;
}

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
    keptCount = 0;
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
    // The volume keys work while paused too; they are the shell's, never kept for the hero.
    if (takeVolumeKey(event)) {
        return false;
    }
    switch (event.type) {
    case SDL_QUIT:
        // Closing the window ends the run as it always does: through the frame after the pause,
        // which also puts it in a recording.
        keepEvent(event);
        return true;
    case SDL_VIDEOEXPOSE:
        showBanner();
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // The shell's keys let go are the shell's, never the hero's.
        if (!isShellKeyLetGo(event)) {
            keepEvent(event);
        }
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
    for (int kept = 0; kept < keptCount; ++kept) {
        SDL_PushEvent(&keptEvents[static_cast<std::size_t>(kept)]);
    }
    keptCount = 0;
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
