// The desktop icon: the hero's head before the moon of the city's night sky, cut from the game's
// own pictures.
#include "art/icon.h"
#include "art/hero.h"
#include "art/scenes/city.h"
#include "art/scenes/scenery.h"

#include <cmath>

namespace art {

namespace {

// Where the moon's centre falls in the icon: upper right, half hidden behind the hero's head.
constexpr Point moonInIcon{11, 4};
// Corner pixels left see-through, so that the tile reads as a rounded square.
constexpr Point corners[] = {{0, 0},
                             {iconDrawingSize - 1, 0},
                             {0, iconDrawingSize - 1},
                             {iconDrawingSize - 1, iconDrawingSize - 1}};

} // namespace

Image drawIcon() {
    const int left = static_cast<int>(std::lround(scenery::moonCentre.x - moonInIcon.x));
    const int top = static_cast<int>(std::lround(scenery::moonCentre.y - moonInIcon.y));
    Image icon = drawCity().cropped(left, top, iconDrawingSize, iconDrawingSize);
    icon.place(heroHead(iconDrawingSize), 0, 0);
    for (const Point corner : corners) {
        icon.erase(static_cast<int>(corner.x), static_cast<int>(corner.y));
    }
    return icon;
}

} // namespace art
