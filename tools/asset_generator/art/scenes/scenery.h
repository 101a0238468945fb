// Shared pieces of the two backgrounds: the street band, lamps, paving and grime.
#pragma once

#include "art/raster.h"
#include "random.h"

namespace art::scenery {

// Drawing-size rows. The game keeps feet between screen rows 150 and 485, which at the
// enlargement of 2 are rows 75 to 242 here: the floor of both scenes covers them.
constexpr int height = 300;
constexpr int floorTop = 74;    // where the back wall or the buildings meet the floor
constexpr int walkTop = 75;     // highest feet row
constexpr int walkBottom = 243; // lowest feet row

// The centre of the moon in the city's sky, which the desktop icon shows too.
constexpr Point moonCentre{330, 17};

// Sprinkles single pixels of `colour` over the opaque pixels of a rectangle.
void speckle(Image& image, Random& random, int x, int y, int w, int h, Rgb colour, double density);
// Paving slabs: joints every `slabWidth` columns and along the given rows.
void paving(Image& image, Random& random, int x, int y, int w, int h, Rgb slab, Rgb joint,
            int slabWidth, int rowHeight);
// Darkens rows toward the bottom of the picture, so the floor fades into the bar's shadow.
void fadeToBottom(Image& image, int fromRow, double darkest);

} // namespace art::scenery
