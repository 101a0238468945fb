// SDL_mixer 1.2's header for the browser build: its calls forwarded to SDL2_mixer
// (platform/web/sdl12_web.h). Only the browser build has this folder on its include path.
#pragma once

#include "SDL.h"

// The 1.2 names that SDL2_mixer also defines as macros.
#define MIX_MAX_VOLUME sdl12::mixMaxVolume
#define Mix_PlayChannel(channel, chunk, loops)                                                     \
    sdl12::Mix_PlayChannelTimed(channel, chunk, loops, -1)
