// The one door to the screen for blits.
#include "sprites/screen_blit.h"

#include "shell/globals.h"

namespace {

bool blitsSkipped = false;

} // namespace

void blitToScreen(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination) {
    if (!blitsSkipped) {
        SDL_UpperBlit(picture, source, screen, destination);
    }
}

void setScreenBlitsSkipped(bool skipped) {
    blitsSkipped = skipped;
}

bool screenBlitsSkipped() {
    return blitsSkipped;
}
