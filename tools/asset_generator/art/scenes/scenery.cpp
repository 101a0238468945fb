// Shared pieces of the two backgrounds.
#include "art/scenes/scenery.h"

namespace art::scenery {

void speckle(Image& image, Random& random, int x, int y, int w, int h, Rgb colour, double density) {
    const int count = static_cast<int>(w * h * density);
    for (int i = 0; i < count; ++i) {
        image.set(x + random.range(0, w - 1), y + random.range(0, h - 1), colour);
    }
}

void paving(Image& image, Random& random, int x, int y, int w, int h, Rgb slab, Rgb joint,
            int slabWidth, int rowHeight) {
    rect(image, x, y, w, h, slab);
    int row = 0;
    for (int top = y; top < y + h; top += rowHeight, ++row) {
        const int bottom = std::min(y + h, top + rowHeight);
        for (int xx = x; xx < x + w; ++xx) {
            image.set(xx, top, joint);
        }
        // Staggered joints, like laid slabs; each slab a touch lighter or darker.
        const int offset = (row % 2) * slabWidth / 2;
        for (int left = x - offset; left < x + w; left += slabWidth) {
            const double tint = random.between(-0.06, 0.06);
            for (int yy = top + 1; yy < bottom; ++yy) {
                image.set(left, yy, joint);
                for (int xx = std::max(x, left + 1); xx < std::min(x + w, left + slabWidth); ++xx) {
                    image.set(xx, yy, scale(slab, 1.0 + tint));
                }
            }
        }
    }
}

void fadeToBottom(Image& image, int fromRow, double darkest) {
    for (int y = fromRow; y < image.height(); ++y) {
        const double t = static_cast<double>(y - fromRow) / (image.height() - fromRow);
        for (int x = 0; x < image.width(); ++x) {
            const double amount = 1.0 - (1.0 - darkest) * t;
            const double stepped = bayer(x, y) < (amount * 8 - static_cast<int>(amount * 8))
                                       ? static_cast<int>(amount * 8) + 1
                                       : static_cast<int>(amount * 8);
            image.set(x, y, scale(image.at(x, y), stepped / 8.0));
        }
    }
}

} // namespace art::scenery
