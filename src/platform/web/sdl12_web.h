// The browser build's SDL 1.2 and SDL_mixer 1.2: the part of their API the game uses, kept in
// namespace sdl12 and carried out over SDL 2 and SDL2_mixer (sdl12_web.cpp, mixer12_web.cpp).
//
// The game includes it through include/SDL/SDL.h and include/SDL/SDL_mixer.h, which bring these
// names into the global namespace and add the 1.2 names that SDL 2 spells as macros. Nothing here
// is a macro, and no name here is declared outside sdl12, so the layer's own sources can include
// SDL 2's headers beside this one and link with SDL 2 without a clash.
//
// Types, field layouts and constant values are SDL 1.2's: the game reads surface fields, and its
// recordings store event types, keys and modifiers by their 1.2 values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdl12 {

using Uint8 = std::uint8_t;
using Sint8 = std::int8_t;
using Uint16 = std::uint16_t;
using Sint16 = std::int16_t;
using Uint32 = std::uint32_t;
using Uint64 = std::uint64_t;
using Sint32 = std::int32_t;
using Sint64 = std::int64_t;

// The flags SDL 2 also defines, under names SDL 2 leaves free (include/SDL/SDL.h maps them).
inline constexpr Uint32 initTimer = 0x00000001;
inline constexpr Uint32 initAudio = 0x00000010;
inline constexpr Uint32 initVideo = 0x00000020;
inline constexpr Uint32 initJoystick = 0x00000200;
inline constexpr Uint32 initEverything = 0x0000FFFF;
inline constexpr Uint32 swSurface = 0x00000000;
inline constexpr Uint32 rleAccel = 0x00004000;
inline constexpr Uint32 preAllocated = 0x01000000;
inline constexpr Uint8 pressed = 1;
inline constexpr Uint8 released = 0;
inline constexpr int eventQuery = -1;
inline constexpr int eventIgnore = 0;
inline constexpr int eventEnable = 1;
inline constexpr Uint16 audioS16Lsb = 0x8010;
inline constexpr int mixMaxVolume = 128;

// Surface flags SDL 2 does not have.
inline constexpr Uint32 SDL_HWSURFACE = 0x00000001;
inline constexpr Uint32 SDL_ASYNCBLIT = 0x00000004;
inline constexpr Uint32 SDL_ANYFORMAT = 0x10000000;
inline constexpr Uint32 SDL_HWPALETTE = 0x20000000;
inline constexpr Uint32 SDL_DOUBLEBUF = 0x40000000;
inline constexpr Uint32 SDL_FULLSCREEN = 0x80000000;
inline constexpr Uint32 SDL_HWACCEL = 0x00000100;
inline constexpr Uint32 SDL_SRCCOLORKEY = 0x00001000;
inline constexpr Uint32 SDL_RLEACCELOK = 0x00002000;
inline constexpr Uint32 SDL_SRCALPHA = 0x00010000;

inline constexpr Uint8 SDL_APPMOUSEFOCUS = 0x01;
inline constexpr Uint8 SDL_APPINPUTFOCUS = 0x02;
inline constexpr Uint8 SDL_APPACTIVE = 0x04;

struct SDL_Rect {
    Sint16 x, y;
    Uint16 w, h;
};

struct SDL_Color {
    Uint8 r, g, b, unused;
};

struct SDL_Palette {
    int ncolors;
    SDL_Color* colors;
};

struct SDL_PixelFormat {
    SDL_Palette* palette;
    Uint8 BitsPerPixel;
    Uint8 BytesPerPixel;
    Uint8 Rloss, Gloss, Bloss, Aloss;
    Uint8 Rshift, Gshift, Bshift, Ashift;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey;
    Uint8 alpha;
    // Not in 1.2: the layer's SDL 2 format behind this one.
    void* native;
};

struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat* format;
    int w, h;
    Uint16 pitch;
    void* pixels;
    int offset;
    SDL_Rect clip_rect;
    Uint32 locked;
    int refcount;
    // Not in 1.2: the layer's SDL 2 surface, which owns the pixels (or borrows them, as 1.2 does).
    void* native;
};

// The handles the game only passes back, each standing for its SDL 2 or SDL2_mixer twin.
struct SDL_RWops;
struct SDL_Thread;
struct Mix_Chunk;
struct Mix_Music;

enum SDLKey {
    SDLK_UNKNOWN = 0,
    SDLK_FIRST = 0,
    SDLK_BACKSPACE = 8,
    SDLK_TAB = 9,
    SDLK_CLEAR = 12,
    SDLK_RETURN = 13,
    SDLK_PAUSE = 19,
    SDLK_ESCAPE = 27,
    SDLK_SPACE = 32,
    SDLK_EXCLAIM = 33,
    SDLK_QUOTEDBL = 34,
    SDLK_HASH = 35,
    SDLK_DOLLAR = 36,
    SDLK_AMPERSAND = 38,
    SDLK_QUOTE = 39,
    SDLK_LEFTPAREN = 40,
    SDLK_RIGHTPAREN = 41,
    SDLK_ASTERISK = 42,
    SDLK_PLUS = 43,
    SDLK_COMMA = 44,
    SDLK_MINUS = 45,
    SDLK_PERIOD = 46,
    SDLK_SLASH = 47,
    SDLK_0 = 48,
    SDLK_1,
    SDLK_2,
    SDLK_3,
    SDLK_4,
    SDLK_5,
    SDLK_6,
    SDLK_7,
    SDLK_8,
    SDLK_9,
    SDLK_COLON = 58,
    SDLK_SEMICOLON = 59,
    SDLK_LESS = 60,
    SDLK_EQUALS = 61,
    SDLK_GREATER = 62,
    SDLK_QUESTION = 63,
    SDLK_AT = 64,
    SDLK_LEFTBRACKET = 91,
    SDLK_BACKSLASH = 92,
    SDLK_RIGHTBRACKET = 93,
    SDLK_CARET = 94,
    SDLK_UNDERSCORE = 95,
    SDLK_BACKQUOTE = 96,
    SDLK_a = 97,
    SDLK_b,
    SDLK_c,
    SDLK_d,
    SDLK_e,
    SDLK_f,
    SDLK_g,
    SDLK_h,
    SDLK_i,
    SDLK_j,
    SDLK_k,
    SDLK_l,
    SDLK_m,
    SDLK_n,
    SDLK_o,
    SDLK_p,
    SDLK_q,
    SDLK_r,
    SDLK_s,
    SDLK_t,
    SDLK_u,
    SDLK_v,
    SDLK_w,
    SDLK_x,
    SDLK_y,
    SDLK_z,
    SDLK_DELETE = 127,
    SDLK_KP0 = 256,
    SDLK_KP1,
    SDLK_KP2,
    SDLK_KP3,
    SDLK_KP4,
    SDLK_KP5,
    SDLK_KP6,
    SDLK_KP7,
    SDLK_KP8,
    SDLK_KP9,
    SDLK_KP_PERIOD = 266,
    SDLK_KP_DIVIDE = 267,
    SDLK_KP_MULTIPLY = 268,
    SDLK_KP_MINUS = 269,
    SDLK_KP_PLUS = 270,
    SDLK_KP_ENTER = 271,
    SDLK_KP_EQUALS = 272,
    SDLK_UP = 273,
    SDLK_DOWN = 274,
    SDLK_RIGHT = 275,
    SDLK_LEFT = 276,
    SDLK_INSERT = 277,
    SDLK_HOME = 278,
    SDLK_END = 279,
    SDLK_PAGEUP = 280,
    SDLK_PAGEDOWN = 281,
    SDLK_F1 = 282,
    SDLK_F2,
    SDLK_F3,
    SDLK_F4,
    SDLK_F5,
    SDLK_F6,
    SDLK_F7,
    SDLK_F8,
    SDLK_F9,
    SDLK_F10,
    SDLK_F11,
    SDLK_F12,
    SDLK_F13,
    SDLK_F14,
    SDLK_F15,
    SDLK_NUMLOCK = 300,
    SDLK_CAPSLOCK = 301,
    SDLK_SCROLLOCK = 302,
    SDLK_RSHIFT = 303,
    SDLK_LSHIFT = 304,
    SDLK_RCTRL = 305,
    SDLK_LCTRL = 306,
    SDLK_RALT = 307,
    SDLK_LALT = 308,
    SDLK_RMETA = 309,
    SDLK_LMETA = 310,
    SDLK_LSUPER = 311,
    SDLK_RSUPER = 312,
    SDLK_MODE = 313,
    SDLK_HELP = 315,
    SDLK_PRINT = 316,
    SDLK_SYSREQ = 317,
    SDLK_BREAK = 318,
    SDLK_MENU = 319,
    SDLK_LAST
};

enum SDLMod {
    KMOD_NONE = 0x0000,
    KMOD_LSHIFT = 0x0001,
    KMOD_RSHIFT = 0x0002,
    KMOD_LCTRL = 0x0040,
    KMOD_RCTRL = 0x0080,
    KMOD_LALT = 0x0100,
    KMOD_RALT = 0x0200,
    KMOD_LMETA = 0x0400,
    KMOD_RMETA = 0x0800,
    KMOD_NUM = 0x1000,
    KMOD_CAPS = 0x2000,
    KMOD_MODE = 0x4000,
    KMOD_CTRL = KMOD_LCTRL | KMOD_RCTRL,
    KMOD_SHIFT = KMOD_LSHIFT | KMOD_RSHIFT,
    KMOD_ALT = KMOD_LALT | KMOD_RALT,
    KMOD_META = KMOD_LMETA | KMOD_RMETA
};

struct SDL_keysym {
    Uint8 scancode;
    SDLKey sym;
    SDLMod mod;
    Uint16 unicode;
};

enum SDL_EventType : Uint8 {
    SDL_NOEVENT = 0,
    SDL_ACTIVEEVENT,
    SDL_KEYDOWN,
    SDL_KEYUP,
    SDL_MOUSEMOTION,
    SDL_MOUSEBUTTONDOWN,
    SDL_MOUSEBUTTONUP,
    SDL_JOYAXISMOTION,
    SDL_JOYBALLMOTION,
    SDL_JOYHATMOTION,
    SDL_JOYBUTTONDOWN,
    SDL_JOYBUTTONUP,
    SDL_QUIT,
    SDL_SYSWMEVENT,
    SDL_VIDEORESIZE = 16,
    SDL_VIDEOEXPOSE = 17,
    SDL_USEREVENT = 24,
    SDL_NUMEVENTS = 32
};

inline constexpr Uint32 SDL_ALLEVENTS = 0xFFFFFFFF;

struct SDL_ActiveEvent {
    Uint8 type;
    Uint8 gain;
    Uint8 state;
};

struct SDL_KeyboardEvent {
    Uint8 type;
    Uint8 which;
    Uint8 state;
    SDL_keysym keysym;
};

struct SDL_QuitEvent {
    Uint8 type;
};

struct SDL_ExposeEvent {
    Uint8 type;
};

struct SDL_UserEvent {
    Uint8 type;
    int code;
    void* data1;
    void* data2;
};

union SDL_Event {
    Uint8 type;
    SDL_ActiveEvent active;
    SDL_KeyboardEvent key;
    SDL_QuitEvent quit;
    SDL_ExposeEvent expose;
    SDL_UserEvent user;
};

enum SDL_eventaction { SDL_ADDEVENT, SDL_PEEKEVENT, SDL_GETEVENT };

// Start and stop.
int SDL_Init(Uint32 flags);
int SDL_InitSubSystem(Uint32 flags);
void SDL_QuitSubSystem(Uint32 flags);
Uint32 SDL_WasInit(Uint32 flags);
void SDL_Quit();
const char* SDL_GetError();
int SDL_SetError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The window.
SDL_Surface* SDL_SetVideoMode(int width, int height, int bitsPerPixel, Uint32 flags);
int SDL_Flip(SDL_Surface* screen);
char* SDL_VideoDriverName(char* name, int length);
void SDL_WM_SetCaption(const char* title, const char* icon);
int SDL_WM_ToggleFullScreen(SDL_Surface* screen);

// Surfaces.
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 rMask,
                                  Uint32 gMask, Uint32 bMask, Uint32 aMask);
SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch,
                                      Uint32 rMask, Uint32 gMask, Uint32 bMask, Uint32 aMask);
void SDL_FreeSurface(SDL_Surface* surface);
int SDL_LockSurface(SDL_Surface* surface);
void SDL_UnlockSurface(SDL_Surface* surface);
SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* source, int freeSource);
int SDL_SetColorKey(SDL_Surface* surface, Uint32 flags, Uint32 key);
int SDL_SetAlpha(SDL_Surface* surface, Uint32 flags, Uint8 alpha);
bool SDL_SetClipRect(SDL_Surface* surface, const SDL_Rect* rect);
void SDL_GetClipRect(SDL_Surface* surface, SDL_Rect* rect);
SDL_Surface* SDL_ConvertSurface(SDL_Surface* source, SDL_PixelFormat* format, Uint32 flags);
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface);
SDL_Surface* SDL_DisplayFormatAlpha(SDL_Surface* surface);
int SDL_UpperBlit(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                  SDL_Rect* targetRect);
int SDL_FillRect(SDL_Surface* target, SDL_Rect* rect, Uint32 colour);
Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 red, Uint8 green, Uint8 blue);
bool layerMustLock(const SDL_Surface* surface);

// Files.
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode);
int SDL_RWseek(SDL_RWops* file, int offset, int whence);
int SDL_RWtell(SDL_RWops* file);
int SDL_RWread(SDL_RWops* file, void* into, int size, int count);
int SDL_RWclose(SDL_RWops* file);

// Events.
int SDL_PollEvent(SDL_Event* event);
int SDL_PushEvent(SDL_Event* event);
void SDL_PumpEvents();
int SDL_PeepEvents(SDL_Event* events, int count, SDL_eventaction action, Uint32 mask);

// Time, threads and the sound device's lock.
Uint32 SDL_GetTicks();
void SDL_Delay(Uint32 ms);
SDL_Thread* SDL_CreateThread(int (*function)(void*), void* data);
void SDL_WaitThread(SDL_Thread* thread, int* status);
void SDL_LockAudio();
void SDL_UnlockAudio();

// SDL_mixer.
int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize);
void Mix_CloseAudio();
Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* source, int freeSource);
Mix_Music* Mix_LoadMUS(const char* file);
void Mix_FreeChunk(Mix_Chunk* chunk);
void Mix_FreeMusic(Mix_Music* music);
int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks);
int Mix_FadeInMusic(Mix_Music* music, int loops, int ms);
int Mix_FadeOutMusic(int ms);
int Mix_HaltChannel(int channel);
int Mix_HaltMusic();
void Mix_Pause(int channel);
void Mix_Resume(int channel);
void Mix_PauseMusic();
void Mix_ResumeMusic();
int Mix_Volume(int channel, int volume);
int Mix_VolumeChunk(Mix_Chunk* chunk, int volume);
int Mix_VolumeMusic(int volume);
void Mix_ChannelFinished(void (*finished)(int channel));

} // namespace sdl12
