// Picture storage, colour blending, enlarging, mirroring, cropping and placing.
#include "art/image.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

std::uint8_t clampLevel(double level) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 255L));
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

} // namespace art
