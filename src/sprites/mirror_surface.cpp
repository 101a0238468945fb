// Mirroring pictures pixel by pixel for the pieces that face the other way.
#include "sprites/mirror_surface.h"

#include <cstddef>

namespace {

// Surfaces with these flags, or with a pixel offset, need a lock for direct pixel access.
constexpr Uint32 needsLockFlags = SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL;

bool mustLock(const SDL_Surface* surface) {
    return surface->offset != 0 || (surface->flags & needsLockFlags) != 0;
}

bool hasColourKey(const SDL_Surface* surface) {
    return (surface->flags & SDL_SRCCOLORKEY) != 0;
}

Uint32* pixelAddress(SDL_Surface* surface, int x, int y) {
    auto* row =
        static_cast<Uint8*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch;
    return reinterpret_cast<Uint32*>(row) + x;
}

} // namespace

Uint32 getPixel(SDL_Surface* surface, int x, int y) {
    return *pixelAddress(surface, x, y);
}

void putPixel(SDL_Surface* surface, int x, int y, Uint32 pixel) {
    *pixelAddress(surface, x, y) = pixel;
}

SDL_Surface* mirrorSurface(SDL_Surface* source, Uint32 flags) {
    const SDL_PixelFormat* format = source->format;
    const Uint32 alphaMask = hasColourKey(source) ? 0 : format->Amask;
    SDL_Surface* result =
        SDL_CreateRGBSurface(0, source->w, source->h, format->BitsPerPixel, format->Rmask,
                             format->Gmask, format->Bmask, alphaMask);
    if (result == nullptr) {
        return nullptr;
    }
    const bool locked = mustLock(source) && SDL_LockSurface(source) == 0;
    const int lastX = source->w - 1;
    const int lastY = source->h - 1;
    const bool horizontal = (flags & FLIP_HORIZONTAL) != 0;
    const bool vertical = (flags & FLIP_VERTICAL) != 0;
    if (horizontal || vertical) {
        for (int x = 0; x <= lastX; ++x) {
            for (int y = 0; y <= lastY; ++y) {
                putPixel(result, horizontal ? lastX - x : x, vertical ? lastY - y : y,
                         getPixel(source, x, y));
            }
        }
    }
    if (locked) {
        SDL_UnlockSurface(source);
    }
    if (hasColourKey(source)) {
        SDL_SetColorKey(result, SDL_SRCCOLORKEY | SDL_RLEACCEL, format->colorkey);
    }
    return result;
}
