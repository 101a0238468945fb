// Every blit onto the screen goes through here, so that a headless replay can leave them out and
// a frame can have them made later, in order, by more than one thread.
#pragma once

#include <SDL/SDL.h>

// SDL_UpperBlit onto `screen`, unless blits are switched off or the taker takes it (to make it
// later). Arguments as SDL_UpperBlit's; a taken blit leaves `destination` as it was.
void blitToScreen(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination);

// SDL_UpperBlit onto `screen` now, unless blits are switched off: for the taker making the blits
// it took.
void blitToScreenNow(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination);

// Whoever takes blits to make them later: `take` says whether it took this one. Null for none.
using ScreenBlitTaker = bool (*)(SDL_Surface* picture, const SDL_Rect* source,
                                 const SDL_Rect& destination);
void setScreenBlitTaker(ScreenBlitTaker take);

// Switches the screen's blits off (or on again). With them off nothing is drawn, but every piece
// still works out what it would draw, so its state moves on exactly as when it draws.
void setScreenBlitsSkipped(bool skipped);
bool screenBlitsSkipped();
