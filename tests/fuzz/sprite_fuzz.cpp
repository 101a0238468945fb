// Fuzzes the pictures' way into the sprite catalogue from memory, on SDL's dummy video driver: a
// picture is refused with SDL's reason or becomes a surface in the catalogue's format.
#include "fuzz_check.h"
#include "sprites/sprite_catalogue.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The conversion needs a video mode; its size does not matter to it.
constexpr int screenSide = 64;
constexpr int screenDepth = 32;

// Where the pixels' sum goes, so that reading them is not optimised away.
volatile unsigned pixelSum = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 ||
        SDL_SetVideoMode(screenSide, screenSide, screenDepth, SDL_SWSURFACE) == nullptr) {
        std::fprintf(stderr, "sprite fuzz: no video: %s\n", SDL_GetError());
        std::exit(EXIT_FAILURE);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SDL_RWops* file = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (file == nullptr) {
        return 0;
    }
    SDL_Surface* picture = decodeSprite(file, spriteColourKey);
    if (picture == nullptr) {
        return 0;
    }
    require(picture->format->BitsPerPixel == screenDepth && picture->format->Amask != 0 &&
            picture->pitch >= picture->w * screenDepth / 8);
    // Every byte the surface claims is read, as a blit would: AddressSanitizer sees any missing.
    const auto* pixels = static_cast<const Uint8*>(picture->pixels);
    unsigned sum = 0;
    for (long at = 0; at < static_cast<long>(picture->h) * picture->pitch; ++at) {
        sum += pixels[at];
    }
    SDL_FreeSurface(picture);
    pixelSum = sum;
    return 0;
}
