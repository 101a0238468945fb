// SDL 1.2's header for the browser build: the game's part of the 1.2 API over SDL 2
// (platform/web/sdl12_web.h). Only the browser build has this folder on its include path.
#pragma once

#include "platform/web/sdl12_web.h"

// The game spells SDL's names unqualified, as it does on the desktop.
using namespace sdl12; // NOLINT(google-global-names-in-headers)

// The 1.2 names that SDL 2 also defines as macros; the layer's sources never see these.
#define SDL_INIT_TIMER sdl12::initTimer
#define SDL_INIT_AUDIO sdl12::initAudio
#define SDL_INIT_VIDEO sdl12::initVideo
#define SDL_INIT_JOYSTICK sdl12::initJoystick
#define SDL_INIT_EVERYTHING sdl12::initEverything
#define SDL_SWSURFACE sdl12::swSurface
#define SDL_RLEACCEL sdl12::rleAccel
#define SDL_PREALLOC sdl12::preAllocated
#define SDL_PRESSED sdl12::pressed
#define SDL_RELEASED sdl12::released
#define SDL_QUERY sdl12::eventQuery
#define SDL_IGNORE sdl12::eventIgnore
#define SDL_ENABLE sdl12::eventEnable
#define AUDIO_S16LSB sdl12::audioS16Lsb
#define AUDIO_S16SYS sdl12::audioS16Lsb
#define RW_SEEK_SET 0
#define RW_SEEK_CUR 1
#define RW_SEEK_END 2
#define SDL_MUSTLOCK(surface) sdl12::layerMustLock(surface)
#define SDL_BlitSurface sdl12::SDL_UpperBlit
