// The benchmark programs' screen on SDL's dummy drivers.
#include "headless_screen.h"

#include "state/globals.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>

void openHeadlessScreen(const char* program) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "%s: SDL_Init: %s\n", program, SDL_GetError());
        std::exit(1);
    }
    screen = SDL_SetVideoMode(screenWidth, screenHeight, 32,
                              SDL_HWSURFACE | SDL_HWACCEL | SDL_DOUBLEBUF);
    if (screen == nullptr) {
        std::fprintf(stderr, "%s: SDL_SetVideoMode: %s\n", program, SDL_GetError());
        std::exit(1);
    }
}
