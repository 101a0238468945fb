// Stand-in pictures: plain figures on a colour-keyed ground, sized like the game's own.
#include "standin_pictures.h"

#include "sprites/sprite_catalogue.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace bench {
namespace {

struct Size {
    int width;
    int height;
};

// Picture sizes by catalogue index, close to those of the generated set.
Size sizeOf(int index) {
    if (index == 0) {
        return {2600, 600};
    }
    if (index == 1) {
        return {1600, 600};
    }
    if (index == 2) {
        return {780, 80};
    }
    if (index == 81 || index == 82) {
        return {200, 14};
    }
    if (index >= 48 && index <= 51) {
        return {32, 32};
    }
    if (index >= 52 && index <= 61) {
        return {90, 95}; // attacker
    }
    if (index >= 62 && index <= 74) {
        return {100, 60}; // crawler
    }
    if (index >= 75 && index <= 80) {
        return {70, 100}; // shooter
    }
    return {80, 100}; // the hero
}

bool isFigure(int index) {
    return index > 2 && index != 81 && index != 82;
}

void put16(std::ofstream& out, std::uint16_t value) {
    out.put(static_cast<char>(value & 0xFF));
    out.put(static_cast<char>(value >> 8));
}

void put32(std::ofstream& out, std::uint32_t value) {
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

// A figure is an ellipse filling most of the picture; outside it lies the colour key.
bool insideFigure(int x, int y, Size size) {
    const double dx = (x - size.width / 2.0) / (size.width * 0.42);
    const double dy = (y - size.height / 2.0) / (size.height * 0.48);
    return dx * dx + dy * dy <= 1.0;
}

void writePicture(const std::filesystem::path& path, int index) {
    const Size size = sizeOf(index);
    const Uint32 key = index <= 47 ? sceneColourKey : spriteColourKey;
    const int rowBytes = (size.width * 3 + 3) & ~3;
    std::ofstream out(path, std::ios::binary);
    out.put('B');
    out.put('M');
    put32(out, 54 + static_cast<std::uint32_t>(rowBytes * size.height));
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(size.width));
    put32(out, static_cast<std::uint32_t>(size.height));
    put16(out, 1);
    put16(out, 24);
    for (int i = 0; i < 6; ++i) {
        put32(out, 0);
    }
    std::vector<char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = size.height - 1; y >= 0; --y) {
        for (int x = 0; x < size.width; ++x) {
            Uint32 pixel = static_cast<Uint32>((x * 7 + y * 13 + index * 29) & 0xFFFFFF) | 0x404040;
            if (isFigure(index) && !insideFigure(x, y, size)) {
                pixel = key;
            }
            const size_t at = static_cast<size_t>(x) * 3;
            row[at] = static_cast<char>(pixel & 0xFF);
            row[at + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[at + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        out.write(row.data(), rowBytes);
    }
}

} // namespace

void writeStandInPictures(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "images");
    for (int index = 0; index < catalogueSize; ++index) {
        if (const char* path = spritePath(index)) {
            writePicture(folder / path, index);
        }
    }
}

} // namespace bench
