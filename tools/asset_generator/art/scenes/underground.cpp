// The underground background: a brick tunnel with pipes, caged lamps and an old track bed.
#include "art/scenes/underground.h"
#include "art/pixel_font.h"
#include "art/scenes/scenery.h"

#include <cmath>

namespace art {

namespace {

using namespace scenery;

constexpr int tunnelWidth = 800; // 1600 screen pixels
constexpr int platformEdge = 118;
constexpr int bedTop = 124;
constexpr int bedBottom = 214;
constexpr int frontEdge = 218;
constexpr int railRows[] = {150, 186};

constexpr Rgb mortar = hex(0x231a1c);
constexpr Rgb bricks[] = {hex(0x5a2e28), hex(0x4c2824), hex(0x66362c), hex(0x52302a)};
constexpr Rgb lampLight = hex(0xffd890);

void drawBrickWall(Image& image, Random& random) {
    for (int row = 0; row * 5 < floorTop; ++row) {
        const int y = row * 5;
        const int offset = (row % 2) * 5;
        for (int x = -offset; x < tunnelWidth; x += 10) {
            const Rgb brick = bricks[random.range(0, 3)];
            rect(image, x, y, 10, 5, mortar);
            rect(image, x + 1, y + 1, 9, 4, brick);
            rect(image, x + 1, y + 1, 9, 1, scale(brick, 1.15));
            if (random.chance(0.15)) {
                image.set(x + random.range(2, 8), y + random.range(2, 3), scale(brick, 0.8));
            }
        }
    }
    // The vault curves away into darkness at the top.
    for (int y = 0; y < 14; ++y) {
        const double darkness = 0.35 + 0.65 * y / 14.0;
        for (int x = 0; x < tunnelWidth; ++x) {
            const double stepped = std::floor(darkness * 6 + bayer(x, y)) / 6.0;
            image.set(x, y, scale(image.at(x, y), std::min(1.0, stepped)));
        }
    }
}

void drawArch(Image& image, Random& random, int centre) {
    // A bricked-up side passage: a dark recess under a ring of lighter bricks.
    const double rx = 34, ry = 36;
    const int bottom = floorTop;
    for (int y = bottom - static_cast<int>(ry) - 8; y < bottom; ++y) {
        for (int x = centre - 44; x <= centre + 44; ++x) {
            const double dx = (x + 0.5 - centre) / rx;
            const double dy = (y + 0.5 - (bottom - ry * 0.55)) / ry;
            const double d = dy < 0 ? std::sqrt(dx * dx + dy * dy) : std::abs(dx);
            if (d < 1.0) {
                const double depth = 1.0 - d;
                const Rgb inside = mix(hex(0x1e1416), hex(0x0a0808), std::min(1.0, depth * 2.2));
                image.set(x, y, inside);
            } else if (d < 1.2 && dy < 0.1) {
                image.set(x, y,
                          (static_cast<int>(std::atan2(dy, dx) * 12) % 2 == 0) ? hex(0x7c4a3a)
                                                                               : hex(0x6a3c30));
                if (d > 1.17) {
                    image.set(x, y, mortar);
                }
            }
        }
    }
    // A rusty grille across the lower half of the opening.
    for (int x = centre - 30; x <= centre + 30; x += 5) {
        for (int y = bottom - 26; y < bottom; ++y) {
            image.set(x, y, hex(0x3a2a24));
        }
    }
    for (int y = bottom - 26; y < bottom; y += 8) {
        rect(image, centre - 32, y, 65, 1, hex(0x4a342a));
    }
    speckle(image, random, centre - 30, bottom - 26, 60, 26, hex(0x5a3a22), 0.02);
}

void drawPipe(Image& image, int y, int radius, const Ramp& ramp, int flangeEvery) {
    Shape pipe(tunnelWidth, height);
    pipe.rect(0, y - radius, tunnelWidth, radius * 2 + 1);
    paint(image, pipe, ramp, {.outline = true, .light = 1, .shadow = 1});
    for (int x = 10; x < tunnelWidth; x += flangeEvery) {
        Shape flange(tunnelWidth, height);
        flange.rect(x, y - radius - 1, 3, radius * 2 + 3);
        paint(image, flange, ramp, {.outline = true, .light = 1, .shadow = 1});
        // Bracket down to the wall.
        rect(image, x + 1, y + radius + 2, 1, 3, hex(0x1a1416));
    }
}

void drawStains(Image& image, Random& random) {
    for (int i = 0; i < 26; ++i) {
        const int x = random.range(0, tunnelWidth - 1);
        const int top = random.range(14, 24);
        const int length = random.range(12, 45);
        for (int y = top; y < std::min(floorTop, top + length); ++y) {
            if (bayer(x, y) < 0.7 - 0.6 * (y - top) / length) {
                image.set(x, y, scale(image.at(x, y), 0.7));
                image.set(x + 1, y, scale(image.at(x + 1, y), 0.8));
            }
        }
    }
}

void drawLamp(Image& image, int x, int y) {
    glow(image, {x + 2.5, y + 3.0}, 48, 36, lampLight, 0.2);
    rect(image, x + 1, y - 4, 3, 4, hex(0x1a1416));
    Shape cage(tunnelWidth, height);
    cage.ellipse({x + 2.5, y + 3.5}, 4, 4.5);
    paint(image, cage, Ramp{hex(0x0e0a0a), hex(0xffc060), hex(0xffe4a0), hex(0xfffbe8)},
          {.outline = true, .light = 1, .shadow = 1});
    for (int k = 0; k < 5; k += 2) {
        rect(image, x + k, y, 1, 8, hex(0x2a2020));
    }
    rect(image, x - 1, y + 3, 7, 1, hex(0x2a2020));
}

void drawSigns(Image& image) {
    // An enamel line sign and a lit exit.
    rect(image, 236, 30, 44, 13, hex(0xe8e8f0));
    rect(image, 237, 31, 42, 11, hex(0x1c3c8a));
    drawText(image, 247, 34, "LINE 2", hex(0xf0f0ff));
    rect(image, 541, 26, 19, 9, hex(0x0a1a10));
    rect(image, 542, 27, 17, 7, hex(0x1aa04a));
    drawText(image, 543, 28, "EXIT", hex(0xe8ffe8));
    glow(image, {550.5, 30.5}, 20, 12, hex(0x5aff8a), 0.18);
    rect(image, 730, 34, 27, 9, hex(0x2a2a30));
    drawText(image, 732, 36, "NO WAY", hex(0xd8c050));
}

void drawPlatform(Image& image, Random& random, int top, int bottom) {
    paving(image, random, 0, top, tunnelWidth, bottom - top, hex(0x4a4a52), hex(0x35353c), 12, 8);
    speckle(image, random, 0, top, tunnelWidth, bottom - top, hex(0x3c3c44), 0.04);
    speckle(image, random, 0, top, tunnelWidth, bottom - top, hex(0x5a5a62), 0.02);
}

void safetyLine(Image& image, int y) {
    for (int x = 0; x < tunnelWidth; ++x) {
        const bool stripe = ((x + y) / 4) % 2 == 0;
        image.set(x, y, stripe ? hex(0xd8b030) : hex(0x1a1a1e));
        image.set(x, y + 1, stripe ? hex(0xb08a20) : hex(0x141416));
    }
}

void drawTrackBed(Image& image, Random& random) {
    rect(image, 0, bedTop, tunnelWidth, bedBottom - bedTop, hex(0x2a2626));
    // The front platform's face, in shadow.
    rect(image, 0, bedBottom, tunnelWidth, frontEdge - bedBottom, hex(0x1c1a1c));
    rect(image, 0, bedBottom, tunnelWidth, 1, hex(0x121012));
    // The platform's face drops to the bed.
    rect(image, 0, platformEdge + 2, tunnelWidth, bedTop - platformEdge - 2, hex(0x1c1a1c));
    speckle(image, random, 0, bedTop, tunnelWidth, bedBottom - bedTop, hex(0x3c3634), 0.14);
    speckle(image, random, 0, bedTop, tunnelWidth, bedBottom - bedTop, hex(0x1a1818), 0.1);
    speckle(image, random, 0, bedTop, tunnelWidth, bedBottom - bedTop, hex(0x4e4844), 0.03);
    for (int x = 3; x < tunnelWidth; x += 14) {
        Shape sleeper(tunnelWidth, height);
        sleeper.rect(x, 140, 6, 58);
        paint(image, sleeper, Ramp{hex(0x140e0c), hex(0x2e2018), hex(0x3e2c20), hex(0x56402e)},
              {.outline = true, .light = 1, .shadow = 1});
    }
    for (int rail : railRows) {
        rect(image, 0, rail - 1, tunnelWidth, 1, hex(0x141418));
        rect(image, 0, rail, tunnelWidth, 1, hex(0xb8b8c8));
        rect(image, 0, rail + 1, tunnelWidth, 2, hex(0x5a5a66));
        rect(image, 0, rail + 3, tunnelWidth, 1, hex(0x1a1a1e));
        for (int x = 5; x < tunnelWidth; x += 14) {
            rect(image, x, rail + 3, 2, 1, hex(0x6a6a74));
        }
    }
    // Puddles of seepage between the rails.
    for (int i = 0; i < 8; ++i) {
        const Point centre{random.between(20, tunnelWidth - 20), random.between(160, 178)};
        Shape puddle(tunnelWidth, height);
        puddle.ellipse(centre, random.between(7, 16), 2.2);
        paint(image, puddle, Ramp{hex(0x141818), hex(0x1e282c), hex(0x2a3a40), hex(0x4a6068)},
              {.outline = false, .light = 1, .shadow = 0});
    }
}

} // namespace

Image drawUnderground() {
    Image image(tunnelWidth, height);
    Random random(0x7E22E1ULL);
    drawBrickWall(image, random);
    for (int centre = 120; centre < tunnelWidth; centre += 260) {
        drawArch(image, random, centre);
    }
    drawStains(image, random);
    drawPipe(image, 18, 3, Ramp{hex(0x0c100e), hex(0x2e463a), hex(0x46685a), hex(0x78a08a)}, 64);
    drawPipe(image, 27, 1, Ramp{hex(0x140c08), hex(0x6a3e1e), hex(0x9a6030), hex(0xd8965a)}, 90);
    drawSigns(image);
    for (int x = 60; x < tunnelWidth; x += 130) {
        drawLamp(image, x, 40);
    }
    // Wall foot: a concrete ledge.
    rect(image, 0, floorTop - 3, tunnelWidth, 3, hex(0x3a3a42));
    rect(image, 0, floorTop - 3, tunnelWidth, 1, hex(0x6a6a74));
    drawPlatform(image, random, floorTop, platformEdge);
    safetyLine(image, platformEdge - 3);
    rect(image, 0, platformEdge, tunnelWidth, 2, hex(0x6a6a72));
    drawTrackBed(image, random);
    drawPlatform(image, random, frontEdge, height);
    safetyLine(image, frontEdge);
    for (int x = 60; x < tunnelWidth; x += 130) {
        glow(image, {x + 2.5, 96.0}, 46, 22, lampLight, 0.12);
    }
    fadeToBottom(image, 232, 0.45);
    return image;
}

} // namespace art
