// Picture storage, enlarging, mirroring and the 24-bit bitmap writer.
#include "art/image.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace art {

namespace {

constexpr int bmpHeaderBytes = 54;
constexpr int dibHeaderBytes = 40;

std::uint8_t clampLevel(double level) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 255L));
}

void putLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    return {clampLevel(a.r + (b.r - a.r) * t), clampLevel(a.g + (b.g - a.g) * t),
            clampLevel(a.b + (b.b - a.b) * t)};
}

Rgb scale(Rgb c, double factor) {
    return {clampLevel(c.r * factor), clampLevel(c.g * factor), clampLevel(c.b * factor)};
}

Image::Image(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height),
      opaque_(static_cast<std::size_t>(width) * height, 0) {}

void Image::set(int x, int y, Rgb colour) {
    if (!inside(x, y)) {
        return;
    }
    pixels_[index(x, y)] = colour;
    opaque_[index(x, y)] = 1;
}

void Image::erase(int x, int y) {
    if (inside(x, y)) {
        opaque_[index(x, y)] = 0;
    }
}

Image Image::enlarged(int factor) const {
    Image result(width_ * factor, height_ * factor);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            if (opaque(x / factor, y / factor)) {
                result.set(x, y, at(x / factor, y / factor));
            }
        }
    }
    return result;
}

Image Image::mirrored() const {
    Image result(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (opaque(x, y)) {
                result.set(width_ - 1 - x, y, at(x, y));
            }
        }
    }
    return result;
}

Image Image::cropped(int x, int y, int width, int height) const {
    Image result(width, height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (opaque(x + column, y + row)) {
                result.set(column, row, at(x + column, y + row));
            }
        }
    }
    return result;
}

void Image::place(const Image& top, int x, int y) {
    for (int row = 0; row < top.height(); ++row) {
        for (int column = 0; column < top.width(); ++column) {
            if (top.opaque(column, row)) {
                set(x + column, y + row, top.at(column, row));
            }
        }
    }
}

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
