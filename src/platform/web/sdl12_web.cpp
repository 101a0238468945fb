// SDL 1.2's calls for the browser build, carried out over SDL 2 (see sdl12_web.h).
//
// A 1.2 surface wraps an SDL 2 surface and shares its pixels; its colour key and surface alpha live
// in the 1.2 fields the game reads, and every call that changes them passes them on to SDL 2, which
// does the blitting. The screen is an SDL 2 surface that SDL_Flip hands to a streaming texture.
// Events come from SDL 2 translated to 1.2's, into one queue that SDL_PushEvent feeds too.
#include "platform/web/sdl12_web.h"

#include <SDL.h>
#include <emscripten.h>
#include <emscripten/threading.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using Surface12 = sdl12::SDL_Surface;
using Format12 = sdl12::SDL_PixelFormat;
using Event12 = sdl12::SDL_Event;
using sdl12::Uint32;
using sdl12::Uint8;

// The screen's pixels, as 1.2 gives a 32-bit window on X11: no alpha.
constexpr Uint32 screenPixelFormat = SDL_PIXELFORMAT_RGB888;
// 1.2's SDL_DisplayFormatAlpha result: 32 bits with alpha in the top byte.
constexpr Uint32 alphaPixelFormat = SDL_PIXELFORMAT_ARGB8888;
constexpr int errorLength = 1024;
constexpr unsigned joinSliceMs = 5;

struct Display {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    Surface12* screen = nullptr;
};
Display display;

// 1.2 keeps one queue that the game's own events join.
std::mutex queueLock;
std::deque<Event12> queue;

::SDL_Surface* nativeOf(const Surface12* surface) {
    return static_cast<::SDL_Surface*>(surface->native);
}

::SDL_Rect widened(const sdl12::SDL_Rect& rect) {
    return {rect.x, rect.y, rect.w, rect.h};
}

sdl12::SDL_Rect narrowed(const ::SDL_Rect& rect) {
    return {static_cast<sdl12::Sint16>(rect.x), static_cast<sdl12::Sint16>(rect.y),
            static_cast<sdl12::Uint16>(rect.w), static_cast<sdl12::Uint16>(rect.h)};
}

// SDL 2 runs its timers on a thread of their own, which SDL_Quit joins, and a join on the page's
// main thread stalls the page and its sound (the browser warns of it). The game sets no SDL timers
// and its ticks need none, so 1.2's timer flag starts nothing in SDL 2: the layer only remembers
// that it was asked for, to answer SDL_WasInit as 1.2 would.
bool timerAsked = false;

void noteTimer(Uint32 flags, bool started) {
    if ((flags & sdl12::initTimer) != 0) {
        timerAsked = started;
    }
}

Uint32 sdl2InitFlags(Uint32 flags) {
    Uint32 out = 0;
    out |= (flags & sdl12::initAudio) != 0 ? SDL_INIT_AUDIO : 0;
    out |= (flags & sdl12::initVideo) != 0 ? SDL_INIT_VIDEO : 0;
    out |= (flags & sdl12::initJoystick) != 0 ? SDL_INIT_JOYSTICK : 0;
    return out;
}

// Passes the 1.2 key and alpha state on to SDL 2, which blits by them.
void passStateOn(Surface12* surface) {
    ::SDL_Surface* native = nativeOf(surface);
    const bool keyed = (surface->flags & sdl12::SDL_SRCCOLORKEY) != 0;
    SDL_SetColorKey(native, keyed ? SDL_TRUE : SDL_FALSE, surface->format->colorkey);
    if ((surface->flags & sdl12::SDL_SRCALPHA) == 0) {
        SDL_SetSurfaceBlendMode(native, SDL_BLENDMODE_NONE);
        SDL_SetSurfaceAlphaMod(native, SDL_ALPHA_OPAQUE);
    } else if (surface->format->Amask != 0) {
        SDL_SetSurfaceBlendMode(native, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(native, SDL_ALPHA_OPAQUE);
    } else {
        SDL_SetSurfaceBlendMode(native, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(native, surface->format->alpha);
    }
}

// A 1.2 surface around `native`, which it owns from now on.
Surface12* wrap(::SDL_Surface* native, Uint32 flags) {
    if (native == nullptr) {
        return nullptr;
    }
    const ::SDL_PixelFormat* from = native->format;
    auto* format = new Format12{};
    format->palette = reinterpret_cast<sdl12::SDL_Palette*>(from->palette);
    format->BitsPerPixel = from->BitsPerPixel;
    format->BytesPerPixel = from->BytesPerPixel;
    format->Rloss = from->Rloss;
    format->Gloss = from->Gloss;
    format->Bloss = from->Bloss;
    format->Aloss = from->Aloss;
    format->Rshift = from->Rshift;
    format->Gshift = from->Gshift;
    format->Bshift = from->Bshift;
    format->Ashift = from->Ashift;
    format->Rmask = from->Rmask;
    format->Gmask = from->Gmask;
    format->Bmask = from->Bmask;
    format->Amask = from->Amask;
    format->alpha = SDL_ALPHA_OPAQUE;
    format->native = native->format;
    auto* surface = new Surface12{};
    surface->flags = flags;
    surface->format = format;
    surface->w = native->w;
    surface->h = native->h;
    surface->pitch = static_cast<sdl12::Uint16>(native->pitch);
    surface->pixels = native->pixels;
    surface->clip_rect = narrowed(native->clip_rect);
    surface->refcount = 1;
    surface->native = native;
    passStateOn(surface);
    return surface;
}

// 1.2 marks every surface with an alpha channel as blended.
Uint32 flagsForMasks(Uint32 flags, Uint32 aMask) {
    return (flags & (sdl12::SDL_SRCCOLORKEY | sdl12::SDL_SRCALPHA)) |
           (aMask != 0 ? sdl12::SDL_SRCALPHA : 0);
}

// Keeps the key a converted copy had in its old format, as 1.2 does.
void carryKey(const Surface12* from, Surface12* to) {
    if ((from->flags & sdl12::SDL_SRCCOLORKEY) == 0 || to->format->Amask != 0) {
        return;
    }
    Uint8 red = 0;
    Uint8 green = 0;
    Uint8 blue = 0;
    SDL_GetRGB(from->format->colorkey, nativeOf(from)->format, &red, &green, &blue);
    to->format->colorkey = SDL_MapRGB(nativeOf(to)->format, red, green, blue);
    to->flags |= sdl12::SDL_SRCCOLORKEY;
    passStateOn(to);
}

Surface12* convertTo(Surface12* source, Uint32 pixelFormat, Uint32 flags) {
    ::SDL_Surface* native = nativeOf(source);
    // SDL 2 turns keyed pixels transparent when the copy has alpha, as 1.2 does.
    ::SDL_Surface* copy = SDL_ConvertSurfaceFormat(native, pixelFormat, 0);
    if (copy == nullptr) {
        return nullptr;
    }
    SDL_SetColorKey(copy, SDL_FALSE, 0);
    Surface12* converted = wrap(copy, flagsForMasks(flags, copy->format->Amask));
    if ((flags & sdl12::SDL_SRCCOLORKEY) != 0) {
        carryKey(source, converted);
    }
    return converted;
}

sdl12::SDLKey keyOf(SDL_Keycode key) {
    // Letters, digits, punctuation, space, return, escape, backspace and delete keep their codes.
    if (key > 0 && key < 128) {
        return static_cast<sdl12::SDLKey>(key);
    }
    switch (key) {
    case SDLK_UP:
        return sdl12::SDLK_UP;
    case SDLK_DOWN:
        return sdl12::SDLK_DOWN;
    case SDLK_LEFT:
        return sdl12::SDLK_LEFT;
    case SDLK_RIGHT:
        return sdl12::SDLK_RIGHT;
    case SDLK_PAUSE:
        return sdl12::SDLK_PAUSE;
    case SDLK_KP_MINUS:
        return sdl12::SDLK_KP_MINUS;
    case SDLK_KP_PLUS:
        return sdl12::SDLK_KP_PLUS;
    case SDLK_KP_ENTER:
        return sdl12::SDLK_KP_ENTER;
    case SDLK_KP_PERIOD:
        return sdl12::SDLK_KP_PERIOD;
    case SDLK_KP_DIVIDE:
        return sdl12::SDLK_KP_DIVIDE;
    case SDLK_KP_MULTIPLY:
        return sdl12::SDLK_KP_MULTIPLY;
    case SDLK_KP_EQUALS:
        return sdl12::SDLK_KP_EQUALS;
    case SDLK_KP_0:
        return sdl12::SDLK_KP0;
    case SDLK_INSERT:
        return sdl12::SDLK_INSERT;
    case SDLK_HOME:
        return sdl12::SDLK_HOME;
    case SDLK_END:
        return sdl12::SDLK_END;
    case SDLK_PAGEUP:
        return sdl12::SDLK_PAGEUP;
    case SDLK_PAGEDOWN:
        return sdl12::SDLK_PAGEDOWN;
    case SDLK_LSHIFT:
        return sdl12::SDLK_LSHIFT;
    case SDLK_RSHIFT:
        return sdl12::SDLK_RSHIFT;
    case SDLK_LCTRL:
        return sdl12::SDLK_LCTRL;
    case SDLK_RCTRL:
        return sdl12::SDLK_RCTRL;
    case SDLK_LALT:
        return sdl12::SDLK_LALT;
    case SDLK_RALT:
        return sdl12::SDLK_RALT;
    case SDLK_LGUI:
        return sdl12::SDLK_LSUPER;
    case SDLK_RGUI:
        return sdl12::SDLK_RSUPER;
    default:
        break;
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return static_cast<sdl12::SDLKey>(sdl12::SDLK_KP1 + (key - SDLK_KP_1));
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return static_cast<sdl12::SDLKey>(sdl12::SDLK_F1 + (key - SDLK_F1));
    }
    return sdl12::SDLK_UNKNOWN;
}

Event12 activeEvent(bool gain, Uint8 state) {
    Event12 event{};
    event.active = {sdl12::SDL_ACTIVEEVENT, static_cast<Uint8>(gain ? 1 : 0), state};
    return event;
}

Event12 plainEvent(sdl12::SDL_EventType type) {
    Event12 event{};
    event.type = type;
    return event;
}

// The 1.2 event for an SDL 2 one, if 1.2 had one.
bool translated(const ::SDL_Event& from, Event12& to) {
    switch (from.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // 1.2 repeats a held key only when asked to, and the game never asks.
        if (from.key.repeat != 0) {
            return false;
        }
        to = {};
        to.key.type = from.type == SDL_KEYDOWN ? sdl12::SDL_KEYDOWN : sdl12::SDL_KEYUP;
        to.key.state = from.key.state == SDL_PRESSED ? sdl12::pressed : sdl12::released;
        to.key.keysym.scancode = static_cast<Uint8>(from.key.keysym.scancode);
        to.key.keysym.sym = keyOf(from.key.keysym.sym);
        // SDL 2 kept 1.2's modifier bits.
        to.key.keysym.mod = static_cast<sdl12::SDLMod>(from.key.keysym.mod & 0x7FFF);
        return true;
    case SDL_QUIT:
        to = plainEvent(sdl12::SDL_QUIT);
        return true;
    case SDL_WINDOWEVENT:
        switch (from.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            to = activeEvent(true, sdl12::SDL_APPINPUTFOCUS);
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            to = activeEvent(false, sdl12::SDL_APPINPUTFOCUS);
            return true;
        // A hidden tab is a minimised window, and it has lost the keyboard too.
        case SDL_WINDOWEVENT_HIDDEN:
        case SDL_WINDOWEVENT_MINIMIZED:
            to = activeEvent(false, sdl12::SDL_APPACTIVE | sdl12::SDL_APPINPUTFOCUS);
            return true;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            to = activeEvent(true, sdl12::SDL_APPACTIVE);
            return true;
        case SDL_WINDOWEVENT_EXPOSED:
            to = plainEvent(sdl12::SDL_VIDEOEXPOSE);
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

bool onMainThread() {
    return emscripten_is_main_runtime_thread() != 0;
}

// A thread the game started, which says when its work is done.
struct StartedThread {
    int (*function)(void*);
    void* data;
    int status = 0;
    std::atomic<bool> finished{false};
};

int runThread(void* start) {
    auto* started = static_cast<StartedThread*>(start);
    started->status = started->function(started->data);
    // The thread's last touch of `started`: from here on the waiting side may free it.
    started->finished.store(true);
    return 0;
}

// The page's own sound driver plays from the browser's audio callback; any other (the dummy
// driver of headless replays) runs a thread of its own for the device.
constexpr const char* pageAudioDriver = "emscripten";

// SDL 2 counts each start of a subsystem (the game's, the mixer's): all of them end here, as
// SDL_Quit would end them.
int quitAudio(void* /*unused*/) {
    while (::SDL_WasInit(SDL_INIT_AUDIO) != 0) {
        ::SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return 0;
}

} // namespace

namespace sdl12 {

int SDL_Init(Uint32 flags) {
    const int result = ::SDL_Init(sdl2InitFlags(flags));
    noteTimer(flags, result == 0);
    return result;
}

int SDL_InitSubSystem(Uint32 flags) {
    const int result = ::SDL_InitSubSystem(sdl2InitFlags(flags));
    noteTimer(flags, result == 0);
    return result;
}

void SDL_QuitSubSystem(Uint32 flags) {
    ::SDL_QuitSubSystem(sdl2InitFlags(flags));
    noteTimer(flags, false);
}

Uint32 SDL_WasInit(Uint32 flags) {
    const Uint32 running = ::SDL_WasInit(sdl2InitFlags(flags));
    Uint32 out = 0;
    out |= timerAsked && (flags == 0 || (flags & initTimer) != 0) ? initTimer : 0;
    out |= (running & SDL_INIT_AUDIO) != 0 ? initAudio : 0;
    out |= (running & SDL_INIT_VIDEO) != 0 ? initVideo : 0;
    out |= (running & SDL_INIT_JOYSTICK) != 0 ? initJoystick : 0;
    return out;
}

// SDL 2 joins a sound device's own thread as it closes it, and a join on the page's main thread
// stalls the page: such a device is closed on a thread of its own, waited for without blocking.
void SDL_Quit() {
    const char* driver = ::SDL_GetCurrentAudioDriver();
    if (onMainThread() && driver != nullptr && std::strcmp(driver, pageAudioDriver) != 0) {
        SDL_WaitThread(SDL_CreateThread(quitAudio, nullptr), nullptr);
    }
    ::SDL_Quit();
    timerAsked = false;
}

const char* SDL_GetError() {
    return ::SDL_GetError();
}

int SDL_SetError(const char* format, ...) {
    char message[errorLength];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    return ::SDL_SetError("%s", message);
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bitsPerPixel, Uint32 flags) {
    (void)bitsPerPixel;
    if (display.window == nullptr) {
        display.window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width, height, 0);
        if (display.window == nullptr) {
            return nullptr;
        }
        display.renderer = SDL_CreateRenderer(display.window, -1, 0);
        if (display.renderer == nullptr) {
            return nullptr;
        }
    }
    SDL_SetWindowSize(display.window, width, height);
    SDL_RenderSetLogicalSize(display.renderer, width, height);
    if (display.texture != nullptr) {
        SDL_DestroyTexture(display.texture);
    }
    display.texture = SDL_CreateTexture(display.renderer, screenPixelFormat,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    if (display.texture == nullptr) {
        return nullptr;
    }
    // Setting the window up for the renderer hides and shows it again: no news for the game.
    ::SDL_PumpEvents();
    SDL_FlushEvent(SDL_WINDOWEVENT);
    Surface12* old = display.screen;
    display.screen = wrap(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, screenPixelFormat),
                          flags & SDL_FULLSCREEN);
    if (old != nullptr) {
        old->refcount = 1;
        Surface12* leaving = old;
        ::SDL_FreeSurface(nativeOf(leaving));
        delete leaving->format;
        delete leaving;
    }
    return display.screen;
}

int SDL_Flip(SDL_Surface* screen) {
    if (screen != display.screen || display.texture == nullptr) {
        return -1;
    }
    SDL_UpdateTexture(display.texture, nullptr, screen->pixels, screen->pitch);
    SDL_RenderClear(display.renderer);
    SDL_RenderCopy(display.renderer, display.texture, nullptr, nullptr);
    SDL_RenderPresent(display.renderer);
    return 0;
}

char* SDL_VideoDriverName(char* name, int length) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || length <= 0) {
        return nullptr;
    }
    std::snprintf(name, static_cast<std::size_t>(length), "%s", driver);
    return name;
}

void SDL_WM_SetCaption(const char* title, const char* icon) {
    (void)icon;
    if (display.window != nullptr && title != nullptr) {
        SDL_SetWindowTitle(display.window, title);
    }
}

int SDL_WM_ToggleFullScreen(SDL_Surface* screen) {
    if (screen != display.screen || display.window == nullptr) {
        return 0;
    }
    const bool leaving = (screen->flags & SDL_FULLSCREEN) != 0;
    if (SDL_SetWindowFullscreen(display.window, leaving ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        return 0;
    }
    screen->flags ^= SDL_FULLSCREEN;
    return 1;
}

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 rMask,
                                  Uint32 gMask, Uint32 bMask, Uint32 aMask) {
    return wrap(::SDL_CreateRGBSurface(0, width, height, depth, rMask, gMask, bMask, aMask),
                flagsForMasks(0, aMask));
    (void)flags;
}

SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch,
                                      Uint32 rMask, Uint32 gMask, Uint32 bMask, Uint32 aMask) {
    return wrap(
        ::SDL_CreateRGBSurfaceFrom(pixels, width, height, depth, pitch, rMask, gMask, bMask, aMask),
        preAllocated | flagsForMasks(0, aMask));
}

void SDL_FreeSurface(SDL_Surface* surface) {
    // 1.2 never frees the screen this way.
    if (surface == nullptr || surface == display.screen || --surface->refcount > 0) {
        return;
    }
    ::SDL_FreeSurface(nativeOf(surface));
    delete surface->format;
    delete surface;
}

int SDL_LockSurface(SDL_Surface* surface) {
    const int status = ::SDL_LockSurface(nativeOf(surface));
    surface->pixels = nativeOf(surface)->pixels;
    ++surface->locked;
    return status;
}

void SDL_UnlockSurface(SDL_Surface* surface) {
    ::SDL_UnlockSurface(nativeOf(surface));
    if (surface->locked > 0) {
        --surface->locked;
    }
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* source, int freeSource) {
    ::SDL_Surface* loaded = ::SDL_LoadBMP_RW(reinterpret_cast<::SDL_RWops*>(source), freeSource);
    return loaded == nullptr ? nullptr : wrap(loaded, flagsForMasks(0, loaded->format->Amask));
}

int SDL_SetColorKey(SDL_Surface* surface, Uint32 flags, Uint32 key) {
    if (surface == nullptr) {
        return -1;
    }
    if ((flags & SDL_SRCCOLORKEY) != 0) {
        surface->flags |= SDL_SRCCOLORKEY | (flags & rleAccel);
        surface->format->colorkey = key;
    } else {
        surface->flags &= ~(SDL_SRCCOLORKEY | rleAccel);
        surface->format->colorkey = 0;
    }
    passStateOn(surface);
    return 0;
}

int SDL_SetAlpha(SDL_Surface* surface, Uint32 flags, Uint8 alpha) {
    if (surface == nullptr) {
        return -1;
    }
    surface->flags = (flags & SDL_SRCALPHA) != 0 ? surface->flags | SDL_SRCALPHA
                                                 : surface->flags & ~SDL_SRCALPHA;
    surface->format->alpha = alpha;
    passStateOn(surface);
    return 0;
}

bool SDL_SetClipRect(SDL_Surface* surface, const SDL_Rect* rect) {
    if (surface == nullptr) {
        return false;
    }
    ::SDL_Rect wide{};
    if (rect != nullptr) {
        wide = widened(*rect);
    }
    const bool inside = ::SDL_SetClipRect(nativeOf(surface), rect != nullptr ? &wide : nullptr);
    surface->clip_rect = narrowed(nativeOf(surface)->clip_rect);
    return inside;
}

void SDL_GetClipRect(SDL_Surface* surface, SDL_Rect* rect) {
    if (surface != nullptr && rect != nullptr) {
        *rect = surface->clip_rect;
    }
}

SDL_Surface* SDL_ConvertSurface(SDL_Surface* source, SDL_PixelFormat* format, Uint32 flags) {
    const Uint32 pixelFormat = SDL_MasksToPixelFormatEnum(
        format->BitsPerPixel, format->Rmask, format->Gmask, format->Bmask, format->Amask);
    SDL_Surface* converted = convertTo(source, pixelFormat, flags);
    if (converted != nullptr && (flags & SDL_SRCALPHA) != 0 && format->Amask == 0) {
        SDL_SetAlpha(converted, SDL_SRCALPHA, source->format->alpha);
    }
    return converted;
}

SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    return convertTo(surface, screenPixelFormat,
                     surface->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | rleAccel));
}

SDL_Surface* SDL_DisplayFormatAlpha(SDL_Surface* surface) {
    return convertTo(surface, alphaPixelFormat, SDL_SRCALPHA);
}

int SDL_UpperBlit(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                  SDL_Rect* targetRect) {
    if (source == nullptr || target == nullptr) {
        return ::SDL_SetError("SDL_UpperBlit: passed a NULL surface");
    }
    ::SDL_Rect from{};
    ::SDL_Rect to{};
    if (sourceRect != nullptr) {
        from = widened(*sourceRect);
    }
    if (targetRect != nullptr) {
        to = widened(*targetRect);
    }
    const int status = ::SDL_UpperBlit(nativeOf(source), sourceRect != nullptr ? &from : nullptr,
                                       nativeOf(target), targetRect != nullptr ? &to : nullptr);
    if (targetRect != nullptr) {
        *targetRect = narrowed(to);
    }
    return status;
}

int SDL_FillRect(SDL_Surface* target, SDL_Rect* rect, Uint32 colour) {
    if (rect == nullptr) {
        return ::SDL_FillRect(nativeOf(target), nullptr, colour);
    }
    // 1.2 hands back the part of the rectangle it filled.
    const ::SDL_Rect wide = widened(*rect);
    ::SDL_Rect filled{};
    if (SDL_IntersectRect(&wide, &nativeOf(target)->clip_rect, &filled) == SDL_FALSE) {
        rect->w = 0;
        rect->h = 0;
        return 0;
    }
    *rect = narrowed(filled);
    return ::SDL_FillRect(nativeOf(target), &filled, colour);
}

Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 red, Uint8 green, Uint8 blue) {
    return ::SDL_MapRGB(static_cast<const ::SDL_PixelFormat*>(format->native), red, green, blue);
}

bool layerMustLock(const SDL_Surface* surface) {
    return surface->offset != 0 ||
           (surface->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | rleAccel)) != 0;
}

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    return reinterpret_cast<SDL_RWops*>(::SDL_RWFromFile(file, mode));
}

int SDL_RWseek(SDL_RWops* file, int offset, int whence) {
    return static_cast<int>(::SDL_RWseek(reinterpret_cast<::SDL_RWops*>(file), offset, whence));
}

int SDL_RWtell(SDL_RWops* file) {
    return static_cast<int>(::SDL_RWtell(reinterpret_cast<::SDL_RWops*>(file)));
}

int SDL_RWread(SDL_RWops* file, void* into, int size, int count) {
    return static_cast<int>(::SDL_RWread(reinterpret_cast<::SDL_RWops*>(file), into,
                                         static_cast<std::size_t>(size),
                                         static_cast<std::size_t>(count)));
}

int SDL_RWclose(SDL_RWops* file) {
    return ::SDL_RWclose(reinterpret_cast<::SDL_RWops*>(file));
}

void SDL_PumpEvents() {
    ::SDL_Event event;
    while (::SDL_PollEvent(&event) != 0) {
        Event12 old{};
        if (translated(event, old)) {
            const std::lock_guard<std::mutex> hold(queueLock);
            queue.push_back(old);
            // A tab shown again has to be drawn again, as an uncovered window is.
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SHOWN) {
                queue.push_back(plainEvent(SDL_VIDEOEXPOSE));
            }
        }
    }
}

int SDL_PollEvent(SDL_Event* event) {
    SDL_PumpEvents();
    const std::lock_guard<std::mutex> hold(queueLock);
    if (queue.empty()) {
        return 0;
    }
    if (event != nullptr) {
        *event = queue.front();
        queue.pop_front();
    }
    return 1;
}

int SDL_PushEvent(SDL_Event* event) {
    const std::lock_guard<std::mutex> hold(queueLock);
    queue.push_back(*event);
    return 0;
}

int SDL_PeepEvents(SDL_Event* events, int count, SDL_eventaction action, Uint32 mask) {
    const std::lock_guard<std::mutex> hold(queueLock);
    if (action == SDL_ADDEVENT) {
        for (int i = 0; i < count; ++i) {
            queue.push_back(events[i]);
        }
        return count;
    }
    int found = 0;
    for (auto at = queue.begin(); at != queue.end() && found < count;) {
        if ((mask & (1U << at->type)) == 0) {
            ++at;
            continue;
        }
        events[found++] = *at;
        at = action == SDL_GETEVENT ? queue.erase(at) : at + 1;
    }
    return found;
}

Uint32 SDL_GetTicks() {
    return ::SDL_GetTicks();
}

// The main thread's wait hands the page back to the browser (ASYNCIFY), which draws the frame and
// runs the events meanwhile; other threads simply sleep.
void SDL_Delay(Uint32 ms) {
    if (onMainThread()) {
        emscripten_sleep(ms);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

// The threads run detached and are never joined: a join on the page's main thread blocks the page,
// and the sound with it, even for a thread that is done (the browser warns of it).
SDL_Thread* SDL_CreateThread(int (*function)(void*), void* data) {
    auto* started = new StartedThread{function, data};
    ::SDL_Thread* thread = ::SDL_CreateThread(runThread, "ghoulrun", started);
    if (thread == nullptr) {
        delete started;
        return nullptr;
    }
    ::SDL_DetachThread(thread);
    return reinterpret_cast<SDL_Thread*>(started);
}

// The wait looks at the thread's finished flag in slices; on the main thread each slice hands the
// page back to the browser (see SDL_Delay).
void SDL_WaitThread(SDL_Thread* thread, int* status) {
    auto* started = reinterpret_cast<StartedThread*>(thread);
    if (started == nullptr) {
        return;
    }
    while (!started->finished.load()) {
        SDL_Delay(joinSliceMs);
    }
    if (status != nullptr) {
        *status = started->status;
    }
    delete started;
}

} // namespace sdl12
