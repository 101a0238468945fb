// Four frames of a flickering fireball.
#include "art/enemies/fireball.h"
#include "art/palette.h"

#include <cmath>

namespace art {

namespace {

constexpr int frameSize = 16;
constexpr double pi = 3.14159265358979323846;

Image drawFireball(int index) {
    Image image(frameSize, frameSize);
    const Point centre{9.5, 8};
    const double spin = index * pi / 2;
    Shape outer(frameSize, frameSize);
    outer.disc(centre, 4.6);
    // Tongues of flame trail behind the ball and turn as it flies.
    for (int k = 0; k < 3; ++k) {
        const double a = spin * 0.5 + k * 2.1;
        const double spread = 3.2 * std::sin(a);
        const double length = 6.5 + 1.8 * std::cos(a * 1.7);
        outer.polygon({centre + Point{0, -3.2 + k * 0.4}, centre + Point{-length - 2, spread},
                       centre + Point{0, 3.2 - k * 0.4}});
    }
    paint(image, outer, Ramp{hex(0x4a0c06), hex(0xb02414), hex(0xe85418), hex(0xff9a34)});
    Shape middle(frameSize, frameSize);
    middle.disc(centre + Point{0.4, 0}, 3.2);
    middle.polygon({centre + Point{0, -2}, centre + Point{-5.0 - index % 2, 0.6 * std::sin(spin)},
                    centre + Point{0, 2}});
    paint(image, middle, hex(0xffc040));
    Shape core(frameSize, frameSize);
    core.disc(centre + Point{0.8, -0.4}, 1.7);
    paint(image, core, hex(0xfff6c8));
    // A few sparks thrown off behind.
    const Point sparks[] = {{2, 4}, {1, 11}, {4, 13}, {3, 2}};
    image.set(static_cast<int>(sparks[index].x), static_cast<int>(sparks[index].y), hex(0xffd870));
    return image;
}

} // namespace

void addFireballPictures(std::vector<Picture>& pictures) {
    for (int i = 0; i < 4; ++i) {
        pictures.push_back({"fireball" + std::to_string(i), drawFireball(i), spriteKey});
    }
}

} // namespace art
