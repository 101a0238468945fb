// The pause: holding the frame clock and the sound, showing the banner, waiting for the player.
#include "shell/pause.h"

#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "render/screen_blit.h"
#include "replay/session.h"
#include "shell/pause_request.h"
#include "shell/player_settings.h"
#include "shell/shell_controls.h"
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

// The last frame as the pause found it, to draw the banner and the volume indicator over again.
SDL_Surface* lastFrame = nullptr;
// The volume indicator is up over the paused frame, and is to go when its time is over.
bool indicatorUp = false;
// Events queued behind the resuming key, taken out while the kept ones go in first. SDL's queue
// holds no more than this.
constexpr int queueRoom = 128;
std::array<SDL_Event, queueRoom> queuedBehind{};

void showBanner() {
    if (screenBlitsSkipped()) {
        return;
    }
    if (lastFrame != nullptr) {
        blitToScreen(lastFrame, nullptr, nullptr);
    }
    if (banner != nullptr) {
        SDL_Rect at{static_cast<Sint16>((screen->w - banner->w) / 2),
                    static_cast<Sint16>((screen->h - banner->h) / 2), 0, 0};
        blitToScreen(banner, nullptr, &at);
    }
    indicatorUp = showVolumeIndicator();
    SDL_Flip(screen);
}

// The kept events go in ahead of whatever already waits behind the resuming key, in the order
// they came, so that a key let go during the pause never lands after a later press.
void handOnKeptEvents() {
    const int behind =
        std::max(0, SDL_PeepEvents(queuedBehind.data(), queueRoom, SDL_GETEVENT, SDL_ALLEVENTS));
    for (int kept = 0; kept < keptCount; ++kept) {
        SDL_PushEvent(&keptEvents[static_cast<std::size_t>(kept)]);
    }
    for (int queued = 0; queued < behind; ++queued) {
        SDL_PushEvent(&queuedBehind[static_cast<std::size_t>(queued)]);
    }
    keptCount = 0;
}

} // namespace

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
    clearPauseRequest();
    if (paused || replay::replaying() || heroDead) {
        return false;
    }
    paused = true;
    keptCount = 0;
    replay::holdClock();
    SoundEngine::pauseSound();
    if (!screenBlitsSkipped()) {
        lastFrame = SDL_DisplayFormat(screen);
    }
    showBanner();
    return true;
}

bool handlePausedEvent(const SDL_Event& event) {
    const ShellCommand command = shellCommandFor(event, ShellScene::paused);
    switch (command) {
    case ShellCommand::pause:
        return true;
    case ShellCommand::closeWindow:
        // Closing the window ends the run as it always does: through the frame after the pause,
        // which also puts it in a recording.
        keepEvent(event);
        return true;
    case ShellCommand::letGo:
        return false;
    case ShellCommand::none:
        break;
    default:
        // The screen and the volume work while paused too; the new level shows over the banner.
        actOnSettingsCommand(command);
        showBanner();
        return false;
    }
    if (event.type == SDL_VIDEOEXPOSE) {
        showBanner();
    } else if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        keepEvent(event);
    }
    return false;
}

void endPause() {
    if (!paused) {
        return;
    }
    paused = false;
    replay::releaseClock();
    SoundEngine::resumeSound();
    SDL_FreeSurface(lastFrame);
    lastFrame = nullptr;
    handOnKeptEvents();
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
            if (indicatorUp) {
                showBanner(); // until the indicator's time is over, and once more without it
            }
            platform::delay(pausedLookMs);
        } else if (handlePausedEvent(event)) {
            break;
        }
    }
    endPause();
}
