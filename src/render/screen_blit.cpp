// The one door to the screen for blits.
#include "render/screen_blit.h"

#include "state/globals.h"

namespace {

bool blitsSkipped = false;
ScreenBlitTaker taker = nullptr;

} // namespace

void blitToScreen(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination) {
    if (blitsSkipped) {
        return;
    }
    const SDL_Rect at = destination != nullptr ? *destination : SDL_Rect{0, 0, 0, 0};
    if (taker == nullptr || !taker(picture, source, at)) {
        blitToScreenNow(picture, source, destination);
    }
}

void blitToScreenNow(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination) {
    if (!blitsSkipped) {
        SDL_UpperBlit(picture, source, screen, destination);
    }
}

void setScreenBlitTaker(ScreenBlitTaker take) {
    taker = take;
}

void setScreenBlitsSkipped(bool skipped) {
    blitsSkipped = skipped;
}

bool screenBlitsSkipped() {
    return blitsSkipped;
}
