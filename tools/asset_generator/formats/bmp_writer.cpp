// The 24-bit BMP writer: every picture of the game is saved with it.
#include "formats/bmp_writer.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace art {

namespace {

constexpr int bmpHeaderBytes = 54;
constexpr int dibHeaderBytes = 40;

void putLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

void writeBmp(const std::filesystem::path& path, const Image& image, Rgb key) {
    const int rowBytes = (image.width() * 3 + 3) & ~3;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(rowBytes) * image.height();
    std::vector<char> out;
    out.reserve(bmpHeaderBytes + dataBytes);
    out.push_back('B');
    out.push_back('M');
    putLittleEndian(out, bmpHeaderBytes + dataBytes, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, bmpHeaderBytes, 4);
    putLittleEndian(out, dibHeaderBytes, 4);
    putLittleEndian(out, image.width(), 4);
    putLittleEndian(out, image.height(), 4);
    putLittleEndian(out, 1, 2);  // planes
    putLittleEndian(out, 24, 2); // bits per pixel
    putLittleEndian(out, 0, 4);  // no compression
    putLittleEndian(out, dataBytes, 4);
    putLittleEndian(out, 2835, 4); // 72 dots per inch, both ways
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            Rgb colour = key;
            if (image.opaque(x, y)) {
                colour = image.at(x, y);
                if (colour == key) {
                    colour.b = static_cast<std::uint8_t>(colour.b > 0 ? colour.b - 1 : 1);
                }
            }
            out.push_back(static_cast<char>(colour.b));
            out.push_back(static_cast<char>(colour.g));
            out.push_back(static_cast<char>(colour.r));
        }
        for (int pad = image.width() * 3; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace art
