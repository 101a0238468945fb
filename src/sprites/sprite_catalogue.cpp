// Loading the game's bitmaps into the sprite catalogue with colour-keyed transparency.
#include "sprites/sprite_catalogue.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

SDL_Surface* spriteCatalogue[catalogueSize] = {};

namespace {

constexpr int refusedIndex = -1;
constexpr int lastSceneEntry = 47; // entries up to here use the scene key

// The largest picture a bitmap file may claim. The widest background is a few thousand pixels;
// a header claiming more than this is damaged, and believing it would have SDL allocate and
// clear gigabytes before it found the pixels missing.
constexpr std::int64_t largestPictureSide = 16384;
constexpr std::int64_t largestPicturePixels = 16 * 1024 * 1024;

// Where a bitmap header keeps the picture's size: the size of the info header, then width and
// height, 16-bit in the old 12-byte header, 32-bit (height negative when top-down) in the others.
constexpr int infoHeaderOffset = 14;
constexpr Uint32 oldInfoHeaderSize = 12;

struct CatalogueEntry {
    int index;
    const char* path;
};

// The game's pictures by catalogue index. Entry 16 has no file; some files are loaded twice,
// each time into a surface of its own.
constexpr std::array<CatalogueEntry, 82> catalogueFiles{{
    {0, "images/city2.bmp"},
    {1, "images/underground.bmp"},
    {2, "images/bar.bmp"},
    {3, "images/run_start.bmp"},
    {4, "images/run0.bmp"},
    {5, "images/run1.bmp"},
    {6, "images/run2.bmp"},
    {7, "images/run3.bmp"},
    {8, "images/run4.bmp"},
    {9, "images/run5.bmp"},
    {10, "images/run6.bmp"},
    {11, "images/run7.bmp"},
    {12, "images/run8.bmp"},
    {13, "images/run9.bmp"},
    {14, "images/idle0.bmp"},
    {15, "images/idle1.bmp"},
    {17, "images/jump_start.bmp"},
    {18, "images/jump_up_0.bmp"},
    {19, "images/jump_up_1.bmp"},
    {20, "images/jump_top.bmp"},
    {21, "images/jump_down_0.bmp"},
    {22, "images/jump_down_1.bmp"},
    {23, "images/jump_land_0.bmp"},
    {24, "images/jump_land_1.bmp"},
    {25, "images/shoot0.bmp"},
    {26, "images/shoot1.bmp"},
    {27, "images/sword0.bmp"},
    {28, "images/sword1.bmp"},
    {29, "images/sword2.bmp"},
    {30, "images/sword3.bmp"},
    {31, "images/sword4.bmp"},
    {32, "images/sword5.bmp"},
    {33, "images/sword6.bmp"},
    {34, "images/sword7.bmp"},
    {35, "images/sword8.bmp"},
    {36, "images/sword9.bmp"},
    {37, "images/sword10.bmp"},
    {38, "images/ladder0.bmp"},
    {39, "images/ladder1.bmp"},
    {40, "images/jump-shot0.bmp"},
    {41, "images/jump-shot1.bmp"},
    {42, "images/jump-shot2.bmp"},
    {43, "images/jump-shot3.bmp"},
    {44, "images/hero-die0.bmp"},
    {45, "images/hero-die1.bmp"},
    {46, "images/jump-shot2.bmp"},
    {47, "images/jump-shot3.bmp"},
    {48, "images/fireball0.bmp"},
    {49, "images/fireball1.bmp"},
    {50, "images/fireball2.bmp"},
    {51, "images/fireball3.bmp"},
    {52, "images/attacker_walk0.bmp"},
    {53, "images/attacker_walk0.bmp"},
    {54, "images/attacker_walk1.bmp"},
    {55, "images/attacker_walk2.bmp"},
    {56, "images/attacker_walk3.bmp"},
    {57, "images/attacker_sword0.bmp"},
    {58, "images/attacker_sword1.bmp"},
    {59, "images/attacker_die0.bmp"},
    {60, "images/attacker_die1.bmp"},
    {61, "images/attacker_die2.bmp"},
    {62, "images/crawler_idle0.bmp"},
    {63, "images/crawler_run_start.bmp"},
    {64, "images/crawler_mywalk0.bmp"},
    {65, "images/crawler_idle0.bmp"},
    {66, "images/crawler_mywalk2.bmp"},
    {67, "images/crawler_run0.bmp"},
    {68, "images/crawler_run1.bmp"},
    {69, "images/crawler_run2.bmp"},
    {70, "images/crawler_run3.bmp"},
    {71, "images/crawler_run4.bmp"},
    {72, "images/crawler_die0.bmp"},
    {73, "images/crawler_die1.bmp"},
    {74, "images/crawler_die2.bmp"},
    {75, "images/shooter_idle0.bmp"},
    {76, "images/shooter_walk0.bmp"},
    {77, "images/shooter_walk1.bmp"},
    {78, "images/shooter_shoot0.bmp"},
    {79, "images/shooter_shoot1.bmp"},
    {80, "images/shooter_die0.bmp"},
    {81, "images/health.bmp"},
    {82, "images/ammo.bmp"},
}};

[[noreturn]] void failToLoad(const std::string& path) {
    std::fprintf(stderr, "Unable to load %s: %s\n", path.c_str(), SDL_GetError());
    std::exit(EXIT_FAILURE);
}

std::uint32_t littleEndian(const Uint8* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// False, with SDL's error set, when the header of the bitmap in `file` claims a picture larger
// than any the game could use. Leaves the stream where it was; a header too short to read is
// left for SDL to report.
bool sizeIsPlausible(SDL_RWops* file) {
    const int start = SDL_RWtell(file);
    Uint8 header[26] = {};
    const int read = SDL_RWread(file, header, 1, sizeof header);
    SDL_RWseek(file, start, RW_SEEK_SET);
    if (read != static_cast<int>(sizeof header)) {
        return true;
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

Uint32 colourKeyFor(int index) {
    return index <= lastSceneEntry ? sceneColourKey : spriteColourKey;
}

} // namespace

bool loadSprite(int index, std::string path, Uint32 colourKey) {
    if (index <= refusedIndex || index >= catalogueSize) {
        return false;
    }
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        failToLoad(path);
    }
    if (!sizeIsPlausible(file)) {
        SDL_RWclose(file);
        failToLoad(path);
    }
    SDL_Surface* loaded = SDL_LoadBMP_RW(file, 1);
    if (loaded == nullptr) {
        failToLoad(path);
    }
    SDL_SetColorKey(loaded, SDL_SRCCOLORKEY, colourKey);
    SDL_Surface* converted = SDL_DisplayFormatAlpha(loaded);
    SDL_FreeSurface(loaded);
    if (converted == nullptr) {
        failToLoad(path);
    }
    spriteCatalogue[index] = converted;
    return true;
}

void loadSprites() {
    for (const CatalogueEntry& entry : catalogueFiles) {
        loadSprite(entry.index, entry.path, colourKeyFor(entry.index));
    }
}

const char* spritePath(int index) {
    for (const CatalogueEntry& entry : catalogueFiles) {
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
