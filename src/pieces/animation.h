// One animation of a piece: its frames in display order.
#pragma once

#include <SDL/SDL.h>

#include <vector>

struct Animation {
    // Pictures from the sprite catalogue, which owns them; the piece owns only this list.
    std::vector<SDL_Surface*> frames;
};
