// Drawing primitives for the generated pictures.
#include "art/raster.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;

int lightSide = -1; // -1: light from the left, +1: from the right

double segmentParameter(Point p, Point a, Point b) {
    const Point ab = b - a;
    const double length2 = ab.x * ab.x + ab.y * ab.y;
    if (length2 <= 0.0) {
        return 0.0;
    }
    const Point ap = p - a;
    return std::clamp((ap.x * ab.x + ap.y * ab.y) / length2, 0.0, 1.0);
}

} // namespace

Point direction(double degrees) {
    const double a = degrees * degreesToRadians;
    return {std::sin(a), std::cos(a)};
}

Point rotated(Point p, Point pivot, double degrees) {
    const double a = degrees * degreesToRadians;
    const Point d = p - pivot;
    // Positive turns carry "down" toward "forward", matching direction().
    return {pivot.x + d.x * std::cos(a) + d.y * std::sin(a),
            pivot.y - d.x * std::sin(a) + d.y * std::cos(a)};
}

Shape::Shape(int width, int height)
    : width_(width), height_(height), bits_(static_cast<std::size_t>(width) * height, 0) {}

template <class Inside> void Shape::add(double x0, double y0, double x1, double y1, Inside inside) {
    const int left = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    const int top = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    const int right = std::min(width_ - 1, static_cast<int>(std::ceil(x1)) + 1);
    const int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (inside(Point{x + 0.5, y + 0.5})) {
                bits_[y * width_ + x] = 1;
            }
        }
    }
}

void Shape::disc(Point centre, double radius) {
    ellipse(centre, radius, radius);
}

void Shape::ellipse(Point c, double rx, double ry) {
    add(c.x - rx, c.y - ry, c.x + rx, c.y + ry, [&](Point p) {
        const double dx = (p.x - c.x) / rx;
        const double dy = (p.y - c.y) / ry;
        return dx * dx + dy * dy <= 1.0;
    });
}

void Shape::capsule(Point a, Point b, double ra, double rb) {
    const double r = std::max(ra, rb);
    add(std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
        std::max(a.y, b.y) + r, [&](Point p) {
            const double t = segmentParameter(p, a, b);
            const Point q = a + (b - a) * t;
            const double radius = ra + (rb - ra) * t;
            const Point d = p - q;
            return d.x * d.x + d.y * d.y <= radius * radius;
        });
}

void Shape::polygon(const std::vector<Point>& corners) {
    if (corners.size() < 3) {
        return;
    }
    double x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (const Point& c : corners) {
        x0 = std::min(x0, c.x);
        x1 = std::max(x1, c.x);
        y0 = std::min(y0, c.y);
        y1 = std::max(y1, c.y);
    }
    add(x0, y0, x1, y1, [&](Point p) {
        bool in = false;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const Point& a = corners[i];
            const Point& b = corners[j];
            if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
                in = !in;
            }
        }
        return in;
    });
}

void Shape::rect(int x, int y, int w, int h) {
    for (int yy = std::max(0, y); yy < std::min(height_, y + h); ++yy) {
        for (int xx = std::max(0, x); xx < std::min(width_, x + w); ++xx) {
            bits_[yy * width_ + xx] = 1;
        }
    }
}

void Shape::subtract(const Shape& other) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (other.has(x, y)) {
                bits_[y * width_ + x] = 0;
            }
        }
    }
}

void Shape::intersect(const Shape& other) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (!other.has(x, y)) {
                bits_[y * width_ + x] = 0;
            }
        }
    }
}

LightFromRight::LightFromRight() {
    lightSide = 1;
}
LightFromRight::~LightFromRight() {
    lightSide = -1;
}

void paint(Image& image, const Shape& shape, const Ramp& ramp, Shading shading) {
    const int w = shape.width();
    const int h = shape.height();
    if (shading.outline) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (!shape.has(x, y) && (shape.has(x - 1, y) || shape.has(x + 1, y) ||
                                         shape.has(x, y - 1) || shape.has(x, y + 1))) {
                    image.set(x, y, ramp.outline);
                }
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!shape.has(x, y)) {
                continue;
            }
            Rgb colour = ramp.base;
            for (int k = 1; k <= shading.shadow; ++k) {
                if (!shape.has(x - k * lightSide, y) || !shape.has(x, y + k)) {
                    colour = ramp.shadow;
                }
            }
            for (int k = 1; k <= shading.light; ++k) {
                if (!shape.has(x + k * lightSide, y) || !shape.has(x, y - k)) {
                    colour = ramp.light;
                }
            }
            image.set(x, y, colour);
        }
    }
}

void paint(Image& image, const Shape& shape, Rgb colour) {
    for (int y = 0; y < shape.height(); ++y) {
        for (int x = 0; x < shape.width(); ++x) {
            if (shape.has(x, y)) {
                image.set(x, y, colour);
            }
        }
    }
}

void rect(Image& image, int x, int y, int w, int h, Rgb colour) {
    for (int yy = y; yy < y + h; ++yy) {
        for (int xx = x; xx < x + w; ++xx) {
            image.set(xx, yy, colour);
        }
    }
}

void line(Image& image, int x0, int y0, int x1, int y1, Rgb colour) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (true) {
        image.set(x0, y0, colour);
        if (x0 == x1 && y0 == y1) {
            break;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

double bayer(int x, int y) {
    static constexpr int matrix[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (matrix[y & 3][x & 3] + 0.5) / 16.0;
}

void gradient(Image& image, int x, int y, int w, int h, Rgb top, Rgb bottom, int steps) {
    for (int row = 0; row < h; ++row) {
        const double t = h > 1 ? static_cast<double>(row) / (h - 1) : 0.0;
        const double level = t * (steps - 1);
        const int band = static_cast<int>(level);
        const double within = level - band;
        for (int col = 0; col < w; ++col) {
            const int chosen = within > bayer(x + col, y + row) ? band + 1 : band;
            image.set(x + col, y + row,
                      mix(top, bottom, static_cast<double>(chosen) / (steps - 1)));
        }
    }
}

void sweep(Image& image, Point pivot, double inner, double outer, double from, double to, Rgb edge,
           Rgb blur) {
    const double low = std::min(from, to);
    const double high = std::max(from, to);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Point d = Point{x + 0.5, y + 0.5} - pivot;
            const double r = std::sqrt(d.x * d.x + d.y * d.y);
            if (r < inner || r > outer) {
                continue;
            }
            double angle = std::atan2(d.x, d.y) / degreesToRadians;
            while (angle < low) {
                angle += 360;
            }
            if (angle > high) {
                continue;
            }
            const double fresh =
                to > from ? (angle - low) / (high - low) : (high - angle) / (high - low);
            const double thickness = (outer - inner) * (0.3 + 0.7 * fresh);
            if (r < outer - thickness) {
                continue;
            }
            const bool onEdge = r > outer - 1.6;
            if (!onEdge && bayer(x, y) > 0.3 + 0.65 * fresh) {
                continue;
            }
            image.set(x, y, onEdge ? edge : blur);
        }
    }
}

void glow(Image& image, Point c, double rx, double ry, Rgb tint, double strength) {
    const int x0 = static_cast<int>(c.x - rx), x1 = static_cast<int>(c.x + rx);
    const int y0 = static_cast<int>(c.y - ry), y1 = static_cast<int>(c.y + ry);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!image.opaque(x, y)) {
                continue;
            }
            const double dx = (x + 0.5 - c.x) / rx;
            const double dy = (y + 0.5 - c.y) / ry;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d >= 1.0) {
                continue;
            }
            // Three hard steps of light; only the borders between steps are dithered.
            const double amount = (1.0 - d) * 3.0;
            const int steps = static_cast<int>(amount + (bayer(x, y) - 0.5) * 0.6);
            if (steps <= 0) {
                continue;
            }
            image.set(x, y, mix(image.at(x, y), tint, std::min(1.0, strength * steps)));
        }
    }
}

} // namespace art
