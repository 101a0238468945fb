// The interface pictures: the status bar with its labelled meter slots and the health and ammo
// meters that fill them, the pause banner, the glyph strip of the game's lettering and the
// results card.
#include "art/interface.h"
#include "art/palette.h"
#include "art/picture.h"
#include "art/pixel_font.h"
#include "sprites/glyph_strip.h"
#include "sprites/interface_layout.h"

#include <string_view>

namespace art {

namespace {

// Drawing-size geometry: the game blits the bar at (10, 514) and the meters at (220, 538) and
// (220, 560), so within the bar the slots start at (210, 24) and (210, 46) in screen pixels.
constexpr int barWidth = 390;
constexpr int barHeight = 40;
constexpr int slotX = 105;
constexpr int healthSlotY = 12;
constexpr int ammoSlotY = 23;
constexpr int meterWidth = 150;
constexpr int meterHeight = 8;

constexpr Rgb panelTop = hex(0x3c4156);
constexpr Rgb panelBottom = hex(0x22263a);
constexpr Rgb bevelLight = hex(0x6c7294);
constexpr Rgb bevelDark = hex(0x10121c);
constexpr Rgb engraved = hex(0x181a28);
constexpr Rgb troughDark = hex(0x0e1018);
constexpr Rgb troughStripe = hex(0x1a1d2a);
constexpr Rgb labelColour = hex(0xd8dcec);
constexpr Rgb keyColour = hex(0xffc44a);
constexpr Rgb quietText = hex(0x9aa0bc);
constexpr Rgb titleColour = hex(0xeee2c4);
constexpr Rgb titleShadow = hex(0x7a1424);

// The labels of the run's figures in the bar, and the room between a label and its number.
constexpr std::string_view timeLabel = "TIME";
constexpr std::string_view defeatedLabel = "DEFEATED";
constexpr int labelGap = 3;

bool roundedCorner(int x, int y, int w, int h, int radius) {
    const int cx = x < radius ? radius - 1 : (x >= w - radius ? w - radius : x);
    const int cy = y < radius ? radius - 1 : (y >= h - radius ? h - radius : y);
    const int dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy > (radius - 1) * (radius - 1) + radius - 1;
}

void groove(Image& bar, int x) {
    for (int y = 4; y < barHeight - 4; ++y) {
        bar.set(x, y, engraved);
        bar.set(x + 1, y, bevelLight);
    }
}

void rivet(Image& bar, int x, int y) {
    bar.set(x, y, bevelLight);
    bar.set(x + 1, y, quietText);
    bar.set(x, y + 1, quietText);
    bar.set(x + 1, y + 1, bevelDark);
}

void slot(Image& bar, int y, std::string_view label, Rgb labelTint) {
    rect(bar, slotX - 1, y - 1, meterWidth + 2, meterHeight + 2, bevelDark);
    for (int x = slotX - 1; x <= slotX + meterWidth; ++x) {
        bar.set(x, y + meterHeight + 1, bevelLight);
    }
    for (int yy = y; yy < y + meterHeight; ++yy) {
        for (int x = slotX; x < slotX + meterWidth; ++x) {
            bar.set(x, yy, ((x + yy) % 6) == 0 ? troughStripe : troughDark);
        }
    }
    const int textX = slotX - 4 - textWidth(label);
    drawShadowedText(bar, textX, y + 2, label, labelColour, bevelDark);
    // A small lamp in the meter's colour beside the label.
    rect(bar, textX - 5, y + 3, 2, 2, labelTint);
    bar.set(textX - 5, y + 3, mix(labelTint, hex(0xffffff), 0.6));
}

void skull(Image& bar, int x, int y) {
    static constexpr const char* rows[] = {
        "..#####..", ".#######.", "#########", "##..#..##", "##..#..##",
        "#########", ".###.###.", "..#####..", "..#.#.#..",
    };
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            if (rows[r][c] == '#') {
                bar.set(x + c + 1, y + r + 1, titleShadow);
            }
        }
    }
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            if (rows[r][c] == '#') {
                bar.set(x + c, y + r, r < 2 ? hex(0xffffff) : titleColour);
            }
        }
    }
}

// A bevelled panel with rounded corners, the ground of the bar and the pause banner.
Image panel(int width, int height) {
    Image image(width, height);
    gradient(image, 0, 0, width, height, panelTop, panelBottom, 5);
    for (int x = 0; x < width; ++x) {
        image.set(x, 0, bevelDark);
        image.set(x, 1, bevelLight);
        image.set(x, height - 2, bevelDark);
        image.set(x, height - 1, bevelDark);
    }
    for (int y = 0; y < height; ++y) {
        image.set(0, y, bevelDark);
        image.set(1, y, bevelLight);
        image.set(width - 2, y, bevelDark);
        image.set(width - 1, y, bevelDark);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (roundedCorner(x, y, width, height, 4)) {
                image.erase(x, y);
            }
        }
    }
    return image;
}

Image drawBar() {
    Image bar = panel(barWidth, barHeight);
    for (int x : {5, barWidth - 7}) {
        for (int y : {4, barHeight - 6}) {
            rivet(bar, x, y);
        }
    }

    // Title on the left.
    drawShadowedText(bar, 9, 7, "GHOUL", titleColour, titleShadow, 2);
    drawShadowedText(bar, 9, 20, "RUN", hex(0xff5a5a), titleShadow, 2);
    skull(bar, 36, 21);
    groove(bar, 52);

    slot(bar, healthSlotY, "HEALTH", hex(0xe02a3a));
    slot(bar, ammoSlotY, "AMMO", hex(0xf0b028));
    // A gauge scale under the slots.
    for (int x = slotX; x <= slotX + meterWidth; x += 15) {
        const int length = ((x - slotX) % 75 == 0) ? 3 : 2;
        for (int k = 0; k < length; ++k) {
            bar.set(x, ammoSlotY + meterHeight + 2 + k, quietText);
        }
    }
    groove(bar, 262);

    // The controls, keys in amber and actions in grey, in two columns.
    struct Help {
        int x, y;
        std::string_view key, action;
    };
    const Help help[] = {{268, 6, "ARROWS", "MOVE"},
                         {268, 14, "CTRL", "JUMP"},
                         {268, 22, "SPACE", "SWORD"},
                         {330, 6, "1 2", "SCENE"},
                         {330, 14, "Q", "QUIT"}};
    for (const Help& entry : help) {
        drawShadowedText(bar, entry.x, entry.y, entry.key, keyColour, bevelDark);
        drawShadowedText(bar, entry.x + 26, entry.y, entry.action, quietText, bevelDark);
    }
    // The run's figures: the labels here, the numbers written after them by the game.
    namespace layout = interface_layout;
    const int figuresY = (layout::figuresY - layout::barY) / pixelSize;
    const int clockX = (layout::clockX - layout::barX) / pixelSize;
    const int defeatedX = (layout::defeatedX - layout::barX) / pixelSize;
    for (const auto& [label, valueX] : {std::pair{timeLabel, clockX}, {defeatedLabel, defeatedX}}) {
        drawShadowedText(bar, valueX - textWidth(label) - labelGap, figuresY, label, keyColour,
                         bevelDark);
    }
    return bar;
}

// The game's lettering: every glyph of the strip's characters in a cell of its own, in the bar's
// figures' colour with its shadow, on the see-through ground.
Image drawGlyphStrip() {
    const int cells = static_cast<int>(glyphStripCharacters.size());
    Image strip(cells * glyphAdvance, glyphHeight + 1);
    for (int cell = 0; cell < cells; ++cell) {
        const char character = glyphStripCharacters[static_cast<std::size_t>(cell)];
        drawShadowedText(strip, cell * glyphAdvance, 0, std::string_view(&character, 1),
                         titleColour, bevelDark);
    }
    return strip;
}

// The card over the scene once the hero has died: the pause banner's panel and title lettering,
// with room below the title for the game to write the run's figures and the best runs.
Image drawResultsCard() {
    constexpr int letterSize = 3;
    constexpr int margin = 8;
    constexpr std::string_view title = "GAME OVER";
    constexpr int width = 130;
    constexpr int height = 138;
    Image card = panel(width, height);
    drawShadowedText(card, (width - textWidth(title, letterSize)) / 2, margin, title, keyColour,
                     titleShadow, letterSize);
    return card;
}

// A meter: rows of colour from a bright top edge to a dark bottom edge, cut into segments,
// with rounded ends.
Image drawMeter(const Rgb (&rows)[meterHeight], int segment) {
    Image meter(meterWidth, meterHeight);
    for (int y = 0; y < meterHeight; ++y) {
        for (int x = 0; x < meterWidth; ++x) {
            Rgb colour = rows[y];
            if (x % segment == segment - 1) {
                colour = scale(colour, 0.62);
            } else if (x % segment == 0 && y > 0) {
                colour = mix(colour, hex(0xffffff), 0.18);
            }
            meter.set(x, y, colour);
        }
    }
    for (int x : {0, meterWidth - 1}) {
        for (int y : {0, meterHeight - 1}) {
            meter.erase(x, y);
        }
    }
    return meter;
}

} // namespace

// The banner the game shows over the last frame while it is paused: the bar's panel, its bevel
// and its lettering, three font dots to a dot.
Image drawPauseBanner() {
    constexpr int letterSize = 3;
    constexpr int margin = 8;
    constexpr std::string_view word = "PAUSED";
    const int width = textWidth(word, letterSize) + 2 * margin;
    const int height = glyphHeight * letterSize + 2 * margin;
    Image banner = panel(width, height);
    drawShadowedText(banner, margin, margin, word, keyColour, titleShadow, letterSize);
    return banner;
}

std::vector<Picture> interfacePictures() {
    constexpr Rgb healthRows[meterHeight] = {hex(0xff9a8c), hex(0xff4e4e), hex(0xe2242e),
                                             hex(0xd81e2c), hex(0xc81a2a), hex(0xa01428),
                                             hex(0x86102a), hex(0x5e0a1c)};
    constexpr Rgb ammoRows[meterHeight] = {hex(0xfff4c0), hex(0xffdc64), hex(0xf0b424),
                                           hex(0xe8a81e), hex(0xd89618), hex(0xb87810),
                                           hex(0x94600c), hex(0x643e06)};
    return {
        {"bar", drawBar(), sceneKey},
        {"health", drawMeter(healthRows, 10), spriteKey},
        {"ammo", drawMeter(ammoRows, 5), spriteKey},
        {"paused", drawPauseBanner(), sceneKey},
        {"glyphs", drawGlyphStrip(), sceneKey},
        {"card", drawResultsCard(), sceneKey},
    };
}

} // namespace art
