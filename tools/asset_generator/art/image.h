// An RGB picture with a transparency mask, drawn on by the generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// 0xRRGGBB to a colour.
constexpr Rgb hex(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value)};
}

// Blends a toward b by t (0..1), rounding to the nearest level.
Rgb mix(Rgb a, Rgb b, double t);
// Multiplies every channel by `factor`, clamped to 0..255.
Rgb scale(Rgb c, double factor);

class Image {
  public:
    Image() = default;
    Image(int width, int height); // every pixel transparent

    int width() const { return width_; }
    int height() const { return height_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    bool opaque(int x, int y) const { return inside(x, y) && opaque_[index(x, y)] != 0; }
    Rgb at(int x, int y) const { return pixels_[index(x, y)]; }

    // Paints one opaque pixel; pixels outside the picture are ignored.
    void set(int x, int y, Rgb colour);
    // Makes one pixel transparent again.
    void erase(int x, int y);

    // Every pixel grown into a factor x factor block: the chunky look of the whole set.
    Image enlarged(int factor) const;
    // Left and right swapped.
    Image mirrored() const;
    // The width x height part whose top-left corner is (x, y); outside the picture is transparent.
    Image cropped(int x, int y, int width, int height) const;
    // Paints the opaque pixels of `top` with its top-left corner on (x, y).
    void place(const Image& top, int x, int y);

  private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
    std::vector<std::uint8_t> opaque_;
};

} // namespace art
