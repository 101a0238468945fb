// Drawing primitives: flat shapes, shaded parts with outlines, lines and dithered fills.
#pragma once

#include "art/image.h"

#include <vector>

namespace art {

struct Point {
    double x = 0, y = 0;
};
inline Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
inline Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
inline Point operator*(Point a, double k) {
    return {a.x * k, a.y * k};
}

// The unit vector of a body angle in degrees: 0 points down, 90 forward (+x), 180 up.
Point direction(double degrees);
// `p` turned by `degrees` (the same sense as direction()) around `pivot`.
Point rotated(Point p, Point pivot, double degrees);

// The tones of one material. Light comes from the upper left in every picture.
struct Ramp {
    Rgb outline, shadow, base, light;
};

// A set of pixels built from primitives, then painted in one go. A pixel belongs to a
// primitive when its centre lies inside it, so edges are hard and never blend.
class Shape {
  public:
    Shape(int width, int height);

    void disc(Point centre, double radius);
    void ellipse(Point centre, double rx, double ry);
    // A segment thickened to radius ra at a and rb at b, with round ends.
    void capsule(Point a, Point b, double ra, double rb);
    void capsule(Point a, Point b, double radius) { capsule(a, b, radius, radius); }
    void polygon(const std::vector<Point>& corners);
    void rect(int x, int y, int w, int h);
    // Removes the pixels of `other`.
    void subtract(const Shape& other);
    // Keeps only the pixels also in `other`.
    void intersect(const Shape& other);

    bool has(int x, int y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ && bits_[y * width_ + x] != 0;
    }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    template <class Inside> void add(double x0, double y0, double x1, double y1, Inside inside);

    int width_, height_;
    std::vector<unsigned char> bits_;
};

struct Shading {
    bool outline = true; // a one-pixel ring of the ramp's outline colour around the shape
    int light = 1;       // width of the lit rim on the upper and left edges
    int shadow = 1;      // width of the shaded rim on the lower and right edges
};

// Pictures that are mirrored after drawing (the enemies face left) are drawn with the light on
// the right, so that once mirrored they are lit from the same side as everything else.
class LightFromRight {
  public:
    LightFromRight();
    ~LightFromRight();
    LightFromRight(const LightFromRight&) = delete;
    LightFromRight& operator=(const LightFromRight&) = delete;
};

// Paints a shape: outline ring, base colour, lit and shaded rims.
void paint(Image& image, const Shape& shape, const Ramp& ramp, Shading shading = {});
// Paints a shape in one flat colour.
void paint(Image& image, const Shape& shape, Rgb colour);

void rect(Image& image, int x, int y, int w, int h, Rgb colour);
void line(Image& image, int x0, int y0, int x1, int y1, Rgb colour);
// Ordered (Bayer 4x4) dithering threshold for pixel (x, y), in [0, 1).
double bayer(int x, int y);
// A vertical gradient from `top` to `bottom` over rows y..y+h-1, in `steps` dithered bands.
void gradient(Image& image, int x, int y, int w, int h, Rgb top, Rgb bottom, int steps);
// The blur of a fast blade: a ring sector around `pivot` between radii inner and outer and
// body angles from..to (see direction()). It is solid along the outer edge, thickest and
// densest at `to` where the blade now is, and thins out toward `from`.
void sweep(Image& image, Point pivot, double inner, double outer, double from, double to, Rgb edge,
           Rgb blur);
// Tints the opaque pixels inside an ellipse toward `tint` in three hard steps that grow
// stronger toward the centre, by `strength` per step: pools of light with crisp pixels.
void glow(Image& image, Point centre, double rx, double ry, Rgb tint, double strength);

} // namespace art
