// Loading the game's bitmaps into the sprite catalogue with colour-keyed transparency.
#include "sprites/sprite_catalogue.h"

#include <cstdint>
#include <cstdio>

SDL_Surface* spriteCatalogue[catalogueSize] = {};

namespace {

constexpr int refusedIndex = -1;

// The largest picture a bitmap file may claim. The widest background is a few thousand pixels;
// a header claiming more than this is damaged, and believing it would have SDL allocate and
// clear gigabytes before it found the pixels missing.
constexpr std::int64_t largestPictureSide = 16384;
constexpr std::int64_t largestPicturePixels = std::int64_t{16} * 1024 * 1024;

// Where a bitmap header keeps the picture's size: the size of the info header, then width and
// height, 16-bit in the old 12-byte header, 32-bit (height negative when top-down) in the others.
constexpr int infoHeaderOffset = 14;
constexpr Uint32 oldInfoHeaderSize = 12;
// The file header and the old info header: every bitmap is at least this long.
constexpr int shortestHeaderBytes = infoHeaderOffset + oldInfoHeaderSize;

bool failToLoad(const std::string& path) {
    std::fprintf(stderr, "Unable to load %s: %s\n", path.c_str(), SDL_GetError());
    return false;
}

std::uint32_t littleEndian(const Uint8* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// False, with SDL's error set, when the header of the bitmap in `file` is cut short or claims a
// picture larger than any the game could use. Leaves the stream where it was. SDL reads a cut
// header's missing bytes as zeros and goes on to believe the size it made up from the rest.
bool sizeIsPlausible(SDL_RWops* file) {
    const int start = SDL_RWtell(file);
    Uint8 header[shortestHeaderBytes] = {};
    const int read = SDL_RWread(file, header, 1, sizeof header);
    SDL_RWseek(file, start, RW_SEEK_SET);
    if (read != static_cast<int>(sizeof header)) {
        SDL_SetError("not a whole bitmap: the file ends inside its header");
        return false;
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (littleEndian(header + infoHeaderOffset, 4) == oldInfoHeaderSize) {
        width = littleEndian(header + infoHeaderOffset + 4, 2);
        height = littleEndian(header + infoHeaderOffset + 6, 2);
    } else {
        width = static_cast<std::int32_t>(littleEndian(header + infoHeaderOffset + 4, 4));
        height = static_cast<std::int32_t>(littleEndian(header + infoHeaderOffset + 8, 4));
    }
    width = std::abs(width);
    height = std::abs(height);
    if (width > largestPictureSide || height > largestPictureSide ||
        width * height > largestPicturePixels) {
        SDL_SetError("picture too large: its header claims %lldx%lld pixels",
                     static_cast<long long>(width), static_cast<long long>(height));
        return false;
    }
    return true;
}

} // namespace

SDL_Surface* decodeSprite(SDL_RWops* file, Uint32 colourKey) {
    if (!sizeIsPlausible(file)) {
        SDL_RWclose(file);
        return nullptr;
    }
    SDL_Surface* loaded = SDL_LoadBMP_RW(file, 1);
    if (loaded == nullptr) {
        return nullptr;
    }
    SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, colourKey);
    SDL_Surface* converted = SDL_DisplayFormatAlpha(loaded);
    SDL_FreeSurface(loaded);
    return converted;
}

bool loadSprite(int index, const std::string& path, Uint32 colourKey) {
    if (index <= refusedIndex || index >= catalogueSize) {
        return false;
    }
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        return failToLoad(path);
    }
    SDL_Surface* picture = decodeSprite(file, colourKey);
    if (picture == nullptr) {
        return failToLoad(path);
    }
    spriteCatalogue[index] = picture;
    return true;
}

bool loadSprites() {
    for (const ListedSprite& entry : listedSprites) {
        if (!loadSprite(entry.index, entry.path, entry.colourKey)) {
            return false;
        }
    }
    return true;
}

const char* spritePath(int index) {
    for (const ListedSprite& entry : listedSprites) {
        if (entry.index == index) {
            return entry.path;
        }
    }
    return nullptr;
}

SDL_Surface* spriteAt(int index) {
    if (index < 0 || index >= catalogueSize) {
        return nullptr;
    }
    return spriteCatalogue[index];
}

void releaseSprites() {
    for (SDL_Surface*& entry : spriteCatalogue) {
        SDL_FreeSurface(entry);
        entry = nullptr;
    }
}
