// Stand-in pictures: plain figures on a colour-keyed ground, sized like the game's own.
#include "standin_pictures.h"

#include "pieces/enemy_kinds.h"
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

constexpr Size cityPicture{2600, 600};
constexpr Size undergroundPicture{1600, 600};
constexpr Size barPicture{780, 80};
constexpr Size meterPicture{200, 14};
constexpr Size fireballPicture{32, 32};
constexpr Size heroPicture{80, 100};

bool isMeter(int index) {
    return index == sprite::healthMeter || index == sprite::ammoMeter;
}

// Picture sizes by catalogue entry, close to those of the generated set; an enemy's is its kind's.
Size sizeOf(int index) {
    for (const EnemyKind& kind : enemy_kind::all) {
        if (index >= kind.firstPicture && index <= kind.lastPicture) {
            return {kind.frameWidth, kind.frameHeight};
        }
    }
    if (index == sprite::city) {
        return cityPicture;
    }
    if (index == sprite::underground) {
        return undergroundPicture;
    }
    if (index == sprite::statusBar) {
        return barPicture;
    }
    if (isMeter(index)) {
        return meterPicture;
    }
    if (index >= sprite::fireball0 && index <= sprite::fireball3) {
        return fireballPicture;
    }
    return heroPicture;
}

// Everything but the backgrounds, the bar and the meters is a figure on a colour-keyed ground.
bool isFigure(int index) {
    return index > sprite::statusBar && !isMeter(index);
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

void writePicture(const std::filesystem::path& path, int index, Uint32 key) {
    const Size size = sizeOf(index);
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
    for (const ListedSprite& listed : listedSprites) {
        writePicture(folder / listed.path, listed.index, listed.colourKey);
    }
}

} // namespace bench
