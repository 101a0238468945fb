// The game's lettering: text from the glyph strip, and the clock's and counters' texts.
#include "render/lettering.h"

#include "render/screen_blit.h"
#include "sprites/glyph_strip.h"
#include "sprites/sprite_catalogue.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr Uint32 msPerTenth = 100;
constexpr Uint32 tenthsPerSecond = 10;
constexpr Uint32 secondsPerMinute = 60;
constexpr char lowestLower = 'a';
constexpr char highestLower = 'z';

SDL_Surface* strip() {
    return spriteAt(sprite::glyphStrip);
}

int cellWidth(const SDL_Surface* picture) {
    return picture->w / static_cast<int>(glyphStripCharacters.size());
}

char asOnStrip(char c) {
    return c >= lowestLower && c <= highestLower ? static_cast<char>(c - lowestLower + 'A') : c;
}

} // namespace

int drawText(std::string_view text, int x, int y) {
    SDL_Surface* picture = strip();
    if (picture == nullptr) {
        return x;
    }
    const int width = cellWidth(picture);
    for (const char c : text) {
        const std::size_t cell = glyphStripCharacters.find(asOnStrip(c));
        if (cell != std::string_view::npos && cell != 0) {
            SDL_Rect source{static_cast<Sint16>(static_cast<int>(cell) * width), 0,
                            static_cast<Uint16>(width), static_cast<Uint16>(picture->h)};
            SDL_Rect at{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
            blitToScreen(picture, &source, &at);
        }
        x += width;
    }
    return x;
}

int textWidth(std::string_view text) {
    const SDL_Surface* picture = strip();
    return picture == nullptr ? 0 : static_cast<int>(text.size()) * cellWidth(picture);
}

int lineHeight() {
    const SDL_Surface* picture = strip();
    return picture == nullptr ? 0 : picture->h;
}

ClockText::ClockText(Uint32 ms) {
    const Uint32 tenths = ms / msPerTenth;
    const Uint32 seconds = tenths / tenthsPerSecond;
    const int written = std::snprintf(
        characters.data(), characters.size(), "%" PRIu32 ":%02" PRIu32 ".%" PRIu32,
        seconds / secondsPerMinute, seconds % secondsPerMinute, tenths % tenthsPerSecond);
    length = written > 0 ? static_cast<std::size_t>(written) : 0;
}

CountText::CountText(long count) {
    const int written = std::snprintf(characters.data(), characters.size(), "%ld", count);
    length = written > 0 ? static_cast<std::size_t>(written) : 0;
}
