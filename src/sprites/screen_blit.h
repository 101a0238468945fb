// Every blit onto the screen goes through here, so that a headless replay can leave them out.
#pragma once

#include <SDL/SDL.h>

// SDL_UpperBlit onto `screen`, unless blits are switched off. Arguments as SDL_UpperBlit's.
void blitToScreen(SDL_Surface* picture, SDL_Rect* source, SDL_Rect* destination);

// Switches the screen's blits off (or on again). With them off nothing is drawn, but every piece
// still works out what it would draw, so its state moves on exactly as when it draws.
void setScreenBlitsSkipped(bool skipped);
bool screenBlitsSkipped();
