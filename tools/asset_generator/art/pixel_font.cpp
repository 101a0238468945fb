// The glyphs of the tiny pixel font, each five rows of three dots.
#include "art/pixel_font.h"

#include <array>

namespace art {

namespace {

struct Glyph {
    char character;
    std::array<const char*, glyphHeight> rows;
};

constexpr Glyph glyphs[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},  {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},  {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},  {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},  {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},  {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},  {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}},  {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},  {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}},  {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},  {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},  {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}},  {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},  {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},  {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}},  {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},  {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}},  {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},  {'9', {"###", "#.#", "###", "..#", "##."}},
    {'.', {"...", "...", "...", "...", ".#."}},  {':', {"...", ".#.", "...", ".#.", "..."}},
    {'-', {"...", "...", "###", "...", "..."}},  {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {'!', {".#.", ".#.", ".#.", "...", ".#."}},  {'+', {"...", ".#.", "###", ".#.", "..."}},
    {'\'', {".#.", ".#.", "...", "...", "..."}}, {'<', {"..#", ".#.", "#..", ".#.", "..#"}},
    {'>', {"#..", ".#.", "..#", ".#.", "#.."}},  {'&', {".#.", "#.#", ".#.", "#.#", ".##"}},
    {'%', {"#.#", "..#", ".#.", "#..", "#.#"}},
};

const Glyph* findGlyph(char c) {
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    for (const Glyph& glyph : glyphs) {
        if (glyph.character == c) {
            return &glyph;
        }
    }
    return nullptr;
}

} // namespace

int textWidth(std::string_view text, int size) {
    if (text.empty()) {
        return 0;
    }
    return (static_cast<int>(text.size()) * glyphAdvance - 1) * size;
}

void drawText(Image& image, int x, int y, std::string_view text, Rgb colour, int size) {
    for (char c : text) {
        if (const Glyph* glyph = findGlyph(c)) {
            for (int row = 0; row < glyphHeight; ++row) {
                for (int col = 0; col < glyphWidth; ++col) {
                    // cppcheck-suppress charLiteralWithCharPtrCompare ; rows[row][col] is a char
                    if (glyph->rows[row][col] != '#') {
                        continue;
                    }
                    for (int dy = 0; dy < size; ++dy) {
                        for (int dx = 0; dx < size; ++dx) {
                            image.set(x + col * size + dx, y + row * size + dy, colour);
                        }
                    }
                }
            }
        }
        x += glyphAdvance * size;
    }
}

void drawShadowedText(Image& image, int x, int y, std::string_view text, Rgb colour, Rgb shadow,
                      int size) {
    drawText(image, x + size, y + size, text, shadow, size);
    drawText(image, x, y, text, colour, size);
}

} // namespace art
