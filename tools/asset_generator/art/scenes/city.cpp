// The city background: a night street under a skyline of lit windows and neon signs.
#include "art/scenes/city.h"
#include "art/pixel_font.h"
#include "art/scenes/scenery.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace art {

namespace {

using namespace scenery;

constexpr int cityWidth = 1400; // 2800 screen pixels: both spawn points lie on the street
constexpr int shopTop = 50;     // ground-floor shop fronts run from here to the pavement
constexpr int backKerb = 110;
constexpr int roadTop = 114;
constexpr int laneRow = 165;
constexpr int roadBottom = 218;
constexpr int frontKerb = 222;

constexpr Rgb skyTop = hex(0x080a22);
constexpr Rgb skyHorizon = hex(0x3a2456);
constexpr Rgb farBuilding = hex(0x1c1834);
constexpr Rgb farWindow = hex(0x5c4a6e);
constexpr Rgb pavement = hex(0x4c4c62);
constexpr Rgb pavementJoint = hex(0x383848);
constexpr Rgb kerbTop = hex(0x8c8ca4);
constexpr Rgb kerbFace = hex(0x34343f);
constexpr Rgb asphalt = hex(0x26283a);
constexpr Rgb lampLight = hex(0xffd67a);

struct Facade {
    Rgb wall, trim;
};

constexpr Facade facades[] = {
    {hex(0x4a2a34), hex(0x6e4450)}, {hex(0x363a52), hex(0x545a78)}, {hex(0x24404c), hex(0x3c6070)},
    {hex(0x40302a), hex(0x624a3e)}, {hex(0x3a2a4a), hex(0x5a466e)}, {hex(0x2e3440), hex(0x4a5466)},
};

struct Neon {
    const char* text;
    Rgb colour;
    bool vertical;
};

constexpr Neon signs[] = {
    {"HOTEL", hex(0xff4aa8), true},    {"BAR", hex(0x5affd2), false},
    {"DINER", hex(0xffe24a), false},   {"24H", hex(0xff5a4a), false},
    {"CAFE", hex(0x9a7aff), true},     {"PAWN", hex(0x5aff7a), false},
    {"NOODLES", hex(0xff8a3a), false}, {"MOTEL", hex(0x4ad0ff), true},
    {"ARCADE", hex(0xff4aa8), false},
};

void drawSky(Image& image, Random& random) {
    gradient(image, 0, 0, cityWidth, floorTop, skyTop, skyHorizon, 7);
    for (int i = 0; i < 260; ++i) {
        const int x = random.range(0, cityWidth - 1);
        const int y = random.range(0, 45);
        const bool bright = random.chance(0.15);
        image.set(x, y, bright ? hex(0xfff8e0) : mix(hex(0x9a9ac8), skyTop, y / 60.0));
        if (bright && random.chance(0.5)) {
            image.set(x - 1, y, hex(0x6a6a9a));
            image.set(x + 1, y, hex(0x6a6a9a));
            image.set(x, y - 1, hex(0x6a6a9a));
            image.set(x, y + 1, hex(0x6a6a9a));
        }
    }
    // The moon with its halo.
    const Point moon = moonCentre;
    glow(image, moon, 30, 22, hex(0x5a5a9a), 0.35);
    Shape disc(cityWidth, height);
    disc.disc(moon, 8.5);
    paint(image, disc, Ramp{hex(0xb8b0a0), hex(0xd8d0b8), hex(0xf2ecd4), hex(0xfffcf0)},
          {.outline = false, .light = 1, .shadow = 2});
    for (Point crater : {Point{-3, -2}, Point{2, 2}, Point{3, -4}, Point{-1, 4}}) {
        image.set(static_cast<int>(moon.x + crater.x), static_cast<int>(moon.y + crater.y),
                  hex(0xcfc6ac));
    }
}

void drawDistantSkyline(Image& image, Random& random) {
    int x = 0;
    while (x < cityWidth) {
        const int w = random.range(14, 40);
        const int top = random.range(24, 50);
        rect(image, x, top, w, floorTop - top, farBuilding);
        for (int wy = top + 3; wy < floorTop - 4; wy += 4) {
            for (int wx = x + 2; wx < x + w - 2; wx += 3) {
                if (random.chance(0.12)) {
                    image.set(wx, wy, farWindow);
                }
            }
        }
        if (random.chance(0.25)) {
            // An aerial with a red warning light.
            const int ax = x + w / 2;
            const int length = random.range(5, 12);
            for (int k = 1; k <= length; ++k) {
                image.set(ax, top - k, farBuilding);
            }
            image.set(ax, top - length - 1, hex(0xff3a3a));
        }
        x += w + random.range(-4, 2);
    }
}

void drawWindow(Image& image, Random& random, int x, int y, int w, int h) {
    const double roll = random.unit();
    if (roll < 0.34) {
        // Warm lamplight, a lighter pane in the corner and sometimes a curtain.
        rect(image, x, y, w, h, hex(0xffc864));
        rect(image, x, y, w, 2, hex(0xffe6a4));
        image.set(x, y, hex(0xfff4d4));
        if (random.chance(0.4)) {
            rect(image, x + w - 2, y, 2, h, hex(0xc87a3a));
        }
        if (random.chance(0.2)) {
            // Someone standing at the window.
            rect(image, x + 1, y + 2, 2, h - 2, hex(0x3a2420));
            image.set(x + 1, y + 1, hex(0x3a2420));
        }
    } else if (roll < 0.44) {
        // The blue flicker of a television.
        rect(image, x, y, w, h, hex(0x6aa8e8));
        rect(image, x, y + h - 2, w, 2, hex(0x4a78c0));
        image.set(x, y, hex(0xc4e4ff));
    } else {
        rect(image, x, y, w, h, hex(0x161624));
        image.set(x + w - 1, y, hex(0x3a3c5a));
        image.set(x + w - 2, y + 1, hex(0x2a2c44));
    }
    // Sill.
    for (int k = -1; k <= w; ++k) {
        image.set(x + k, y + h, hex(0x8a8aa0));
    }
}

void drawNeon(Image& image, int x, int y, const Neon& neon) {
    const std::string text = neon.text;
    if (neon.vertical) {
        const int h = static_cast<int>(text.size()) * 7 + 3;
        rect(image, x - 1, y - 1, 9, h + 2, hex(0x0c0c14));
        rect(image, x, y, 7, h, hex(0x1a1a28));
        glow(image, {x + 3.5, y + h / 2.0}, 14, h / 2.0 + 8, neon.colour, 0.22);
        for (std::size_t i = 0; i < text.size(); ++i) {
            drawText(image, x + 2, y + 2 + static_cast<int>(i) * 7, text.substr(i, 1), neon.colour);
        }
    } else {
        const int w = textWidth(text) + 6;
        rect(image, x - 1, y - 1, w + 2, 11, hex(0x0c0c14));
        rect(image, x, y, w, 9, hex(0x1a1a28));
        glow(image, {x + w / 2.0, y + 4.5}, w / 2.0 + 10, 12, neon.colour, 0.22);
        // A neon tube frames the letters.
        for (int k = 1; k < w - 1; ++k) {
            image.set(x + k, y + 1, scale(neon.colour, 0.7));
            image.set(x + k, y + 7, scale(neon.colour, 0.7));
        }
        drawText(image, x + 3, y + 2, text, neon.colour);
    }
}

void drawWaterTower(Image& image, int x, int roof) {
    const Rgb wood = hex(0x4a3428), band = hex(0x2a1e18), dark = hex(0x1e1612);
    for (int leg : {x + 1, x + 12}) {
        for (int y = roof - 6; y < roof; ++y) {
            image.set(leg, y, dark);
        }
    }
    line(image, x + 1, roof - 1, x + 12, roof - 6, dark);
    rect(image, x, roof - 17, 14, 11, wood);
    for (int y = roof - 15; y < roof - 6; y += 4) {
        rect(image, x, y, 14, 1, band);
    }
    Shape cap(cityWidth, height);
    cap.polygon({{x - 1.0, roof - 17.0}, {x + 7.0, roof - 23.0}, {x + 15.0, roof - 17.0}});
    paint(image, cap, dark);
    rect(image, x + 13, roof - 17, 1, 11, dark);
}

void drawFireEscape(Image& image, int x, int w, int top) {
    const Rgb iron = hex(0x12121c);
    for (int y = top + 10; y < shopTop - 2; y += 12) {
        rect(image, x, y, w, 1, iron);
        for (int k = 0; k < w; k += 2) {
            image.set(x + k, y - 3, iron);
        }
        rect(image, x, y - 3, w, 1, iron);
        line(image, x + 2, y, x + w - 3, y + 11, iron);
    }
}

void drawAwning(Image& image, int x, int w, Rgb stripe) {
    for (int y = shopTop - 1; y < shopTop + 4; ++y) {
        for (int k = 0; k < w; ++k) {
            image.set(x + k, y, (k / 3) % 2 == 0 ? stripe : hex(0xd8d2c8));
        }
    }
    // Scalloped lower edge.
    for (int k = 0; k < w; ++k) {
        if (k % 3 != 1) {
            image.set(x + k, shopTop + 4, (k / 3) % 2 == 0 ? scale(stripe, 0.7) : hex(0xa8a296));
        }
    }
    rect(image, x, shopTop + 5, w, 1, hex(0x0c0c14));
}

void drawShopFront(Image& image, Random& random, int x, int w, const Facade& facade) {
    const int top = shopTop + 5;
    rect(image, x, shopTop - 2, w, floorTop - shopTop + 2, scale(facade.wall, 0.8));
    rect(image, x, shopTop - 2, w, 2, facade.trim);
    const int door = x + (random.chance(0.5) ? 3 : w - 11);
    // The door: dark wood with a lit pane.
    rect(image, door, top + 2, 8, floorTop - top - 2, hex(0x1e1418));
    rect(image, door + 2, top + 4, 4, 6, hex(0xe0a050));
    if (random.chance(0.7)) {
        // A lit display window.
        const int left = door == x + 3 ? x + 14 : x + 3;
        const int right = door == x + 3 ? x + w - 3 : x + w - 14;
        rect(image, left - 1, top + 1, right - left + 2, floorTop - top - 4, hex(0x0c0c14));
        rect(image, left, top + 2, right - left, floorTop - top - 7, hex(0xf0b45a));
        rect(image, left, top + 2, right - left, 3, hex(0xffd890));
        for (int k = left + 8; k < right; k += 9) {
            rect(image, k, top + 2, 1, floorTop - top - 7, hex(0x4a2a1a));
        }
        // Goods on the shelf, a row of small shapes.
        for (int k = left + 1; k < right - 1; k += 3) {
            if (random.chance(0.6)) {
                rect(image, k, floorTop - 9, 2, 3,
                     random.chance(0.5) ? hex(0x8a3a2a) : hex(0x3a5a6a));
            }
        }
        if (random.chance(0.6)) {
            const Rgb colours[] = {hex(0xb02a3a), hex(0x2a7a4a), hex(0x2a4a9a), hex(0x8a4aa0)};
            drawAwning(image, left - 2, right - left + 4, colours[random.range(0, 3)]);
        }
    } else {
        // A shuttered shop.
        const int left = door == x + 3 ? x + 14 : x + 3;
        const int right = door == x + 3 ? x + w - 3 : x + w - 14;
        for (int y = top + 1; y < floorTop - 2; ++y) {
            rect(image, left, y, right - left, 1, y % 2 == 0 ? hex(0x4a4a58) : hex(0x383844));
        }
        rect(image, left, top, right - left, 1, hex(0x1a1a24));
    }
    rect(image, x, floorTop - 2, w, 2, hex(0x1a1a26));
}

void drawBuilding(Image& image, Random& random, int x, int w, int top, int index) {
    const Facade& facade = facades[random.range(0, 5)];
    rect(image, x, top, w, floorTop - top, facade.wall);
    // Weathering: a few darker bricks and stains.
    speckle(image, random, x, top, w, shopTop - top, scale(facade.wall, 0.85), 0.05);
    speckle(image, random, x, top, w, shopTop - top, scale(facade.wall, 1.12), 0.02);
    // Lit from the street: a bright left edge, a shadowed right one.
    for (int y = top; y < floorTop; ++y) {
        image.set(x, y, facade.trim);
        image.set(x + w - 1, y, scale(facade.wall, 0.6));
        image.set(x + w - 2, y, scale(facade.wall, 0.75));
    }
    // Cornice.
    rect(image, x - 1, top, w + 2, 2, facade.trim);
    rect(image, x - 1, top + 2, w + 2, 1, scale(facade.wall, 0.5));
    // Windows, floor by floor.
    const int columns = std::max(1, (w - 6) / 9);
    const int margin = (w - columns * 9 + 3) / 2;
    for (int y = top + 6; y + 7 < shopTop - 2; y += 10) {
        for (int c = 0; c < columns; ++c) {
            drawWindow(image, random, x + margin + c * 9, y, 5, 7);
        }
    }
    if (random.chance(0.35) && w > 40) {
        drawFireEscape(image, x + margin - 2, std::min(w - 2 * margin + 4, 26), top);
    }
    drawShopFront(image, random, x, w, facade);
    if (top > 8 && random.chance(0.45)) {
        drawWaterTower(image, x + random.range(4, std::max(5, w - 18)), top);
    }
    if (index % 2 == 0) {
        const Neon& neon = signs[(index / 2) % (sizeof(signs) / sizeof(signs[0]))];
        if (neon.vertical) {
            drawNeon(image, x + w - 6, std::max(top + 6, 8), neon);
        } else {
            const int sw = textWidth(neon.text) + 6;
            drawNeon(image, x + (w - sw) / 2, shopTop - 12, neon);
        }
    }
}

void drawBuildings(Image& image, Random& random) {
    int x = -6;
    int index = 0;
    while (x < cityWidth) {
        const int w = random.range(46, 104);
        // Mostly low blocks, so the skyline and the moon show above them, and a few towers.
        const int top = random.chance(0.25) ? random.range(-10, 4) : random.range(14, 32);
        drawBuilding(image, random, x, w, top, index++);
        // Narrow dark alleys between some of the buildings.
        x += w + (random.chance(0.3) ? random.range(3, 6) : 0);
    }
}

void drawLamp(Image& image, int x) {
    const Rgb pole = hex(0x22222e), poleLight = hex(0x4a4a5e);
    const int base = floorTop + 10;
    const int headY = 22;
    for (int y = headY; y < base; ++y) {
        image.set(x, y, pole);
        image.set(x + 1, y, y % 6 == 0 ? poleLight : pole);
        image.set(x - 1, y, poleLight);
    }
    rect(image, x - 2, base - 3, 5, 3, pole);
    rect(image, x - 2, base - 3, 1, 3, poleLight);
    // The arm reaches out over the pavement, with the lantern hanging from it.
    rect(image, x, headY, 9, 1, pole);
    rect(image, x + 6, headY + 1, 5, 2, pole);
    rect(image, x + 7, headY + 3, 3, 2, hex(0xfff6d0));
    image.set(x + 8, headY + 5, hex(0xffe6a0));
    glow(image, {x + 8.5, headY + 4.0}, 16, 14, lampLight, 0.32);
    // The pool of light on the pavement and the near half of the road.
    glow(image, {x + 8.0, 98.0}, 42, 20, lampLight, 0.12);
    glow(image, {x + 8.0, 124.0}, 34, 10, lampLight, 0.07);
}

void drawPavement(Image& image, Random& random, int top, int bottom) {
    paving(image, random, 0, top, cityWidth, bottom - top, pavement, pavementJoint, 16, 9);
    speckle(image, random, 0, top, cityWidth, bottom - top, hex(0x404052), 0.03);
    speckle(image, random, 0, top, cityWidth, bottom - top, hex(0x5a5a70), 0.015);
}

void drawKerb(Image& image, int y) {
    rect(image, 0, y, cityWidth, 1, kerbTop);
    rect(image, 0, y + 1, cityWidth, 1, hex(0x6a6a80));
    rect(image, 0, y + 2, cityWidth, 2, kerbFace);
}

void drawRoad(Image& image, Random& random) {
    rect(image, 0, roadTop, cityWidth, roadBottom - roadTop, asphalt);
    // Gutter shadow under the far kerb.
    rect(image, 0, roadTop, cityWidth, 2, hex(0x1a1c2a));
    speckle(image, random, 0, roadTop, cityWidth, roadBottom - roadTop, hex(0x30324a), 0.06);
    speckle(image, random, 0, roadTop, cityWidth, roadBottom - roadTop, hex(0x1c1e2c), 0.05);
    // Worn tyre tracks.
    for (int track : {135, 148, 182, 196}) {
        for (int x = 0; x < cityWidth; ++x) {
            if (bayer(x, track) < 0.5) {
                image.set(x, track, hex(0x2c2e42));
            }
        }
    }
    // Lane markings.
    for (int x = 8; x < cityWidth; x += 36) {
        rect(image, x, laneRow, 20, 2, hex(0xc4b25a));
        rect(image, x, laneRow + 2, 20, 1, hex(0x6a6232));
    }
    // Crossings.
    for (int crossing : {250, 980}) {
        for (int y = roadTop + 4; y < roadBottom - 4; y += 9) {
            rect(image, crossing, y, 42, 5, hex(0xa6a6b8));
            rect(image, crossing, y + 5, 42, 1, hex(0x5a5a6a));
            speckle(image, random, crossing, y, 42, 5, hex(0x7a7a8a), 0.12);
        }
    }
    // Manholes and puddles catching the neon.
    for (int i = 0; i < 9; ++i) {
        const Point centre{random.between(40, cityWidth - 40), random.between(128, 208)};
        Shape cover(cityWidth, height);
        cover.ellipse(centre, 9, 3.5);
        paint(image, cover, Ramp{hex(0x12131c), hex(0x1c1d28), hex(0x2c2e3c), hex(0x4a4c5e)},
              {.outline = true, .light = 1, .shadow = 1});
        for (int k = -6; k <= 6; k += 3) {
            image.set(static_cast<int>(centre.x) + k, static_cast<int>(centre.y), hex(0x1c1d28));
        }
    }
    const Rgb reflections[] = {hex(0xff4aa8), hex(0x5affd2), hex(0xffe24a), hex(0x9a7aff)};
    for (int i = 0; i < 14; ++i) {
        const Point centre{random.between(20, cityWidth - 20), random.between(122, 214)};
        const double rx = random.between(8, 20);
        Shape puddle(cityWidth, height);
        puddle.ellipse(centre, rx, rx / 5.0);
        paint(image, puddle, Ramp{hex(0x1c2036), hex(0x262c48), hex(0x343c5e), hex(0x50587e)},
              {.outline = false, .light = 1, .shadow = 0});
        const Rgb glint = reflections[i % 4];
        rect(image, static_cast<int>(centre.x - rx / 3), static_cast<int>(centre.y),
             static_cast<int>(rx / 2), 1, scale(glint, 0.8));
    }
}

void drawStreetFurniture(Image& image, Random& random) {
    // Fire hydrants and bins standing at the back of the pavement.
    for (int i = 0; i < 10; ++i) {
        const int x = random.range(20, cityWidth - 20);
        if (random.chance(0.5)) {
            Shape hydrant(cityWidth, height);
            hydrant.rect(x, floorTop + 2, 5, 8);
            hydrant.rect(x - 1, floorTop + 4, 7, 2);
            hydrant.disc({x + 2.5, floorTop + 2.0}, 2.5);
            paint(image, hydrant, Ramp{hex(0x100a10), hex(0x7a1418), hex(0xb8242a), hex(0xf0584a)});
        } else {
            Shape bin(cityWidth, height);
            bin.rect(x, floorTop, 9, 11);
            bin.rect(x - 1, floorTop - 1, 11, 2);
            paint(image, bin, Ramp{hex(0x0c0e12), hex(0x2a3a32), hex(0x3e5648), hex(0x5e7e6a)});
            for (int k = 1; k < 9; k += 2) {
                rect(image, x + k, floorTop + 2, 1, 8, hex(0x2a3a32));
            }
        }
    }
}

} // namespace

Image drawCity() {
    Image image(cityWidth, height);
    Random random(0x6C0D5EEDULL);
    drawSky(image, random);
    drawDistantSkyline(image, random);
    drawBuildings(image, random);
    drawPavement(image, random, floorTop, backKerb);
    drawKerb(image, backKerb);
    drawRoad(image, random);
    drawKerb(image, roadBottom);
    drawPavement(image, random, frontKerb, height);
    drawStreetFurniture(image, random);
    for (int x = 60; x < cityWidth; x += 170) {
        drawLamp(image, x);
    }
    fadeToBottom(image, 236, 0.45);
    return image;
}

} // namespace art
