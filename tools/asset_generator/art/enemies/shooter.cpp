// The shooter: a heavy gunner in a greatcoat and gas mask with a drum-fed gun. Drawn facing
// right and mirrored.
#include "art/enemies/shooter.h"
#include "art/figure.h"
#include "art/palette.h"

#include <cmath>

namespace art {

namespace {

constexpr int frameWidth = 64;
constexpr int frameHeight = 52;
constexpr double farSide = 0.7;

constexpr Proportions gunnerBody{
    .thigh = 8.5,
    .shin = 8.5,
    .foot = 4.5,
    .upperArm = 7,
    .foreArm = 7,
    .torso = 13,
    .neck = 1,
    .headRadius = 4.0,
    .shoulderDrop = 3,
    .legRadius = 3.2,
    .armRadius = 2.5,
};

struct GunnerLook {
    bool flash = false;
    bool smoke = false;
    bool dropped = false; // the gun lies on the ground beside a fallen gunner
    bool dim = false;
};

Point onPart(Point origin, double angle, Point offset) {
    return rotated(origin + offset, origin, -angle);
}

void drawLeg(Image& image, const Skeleton& s, int side, double darkness) {
    Shape leg(image.width(), image.height());
    leg.capsule(s.hip, s.knee[side], 3.4, 3.0);
    leg.capsule(s.knee[side], s.ankle[side], 3.0, 2.6);
    leg.capsule(s.ankle[side], s.toe[side], 2.5, 2.0);
    paint(image, leg, shaded(palette::helmet, darkness));
    Shape boot(image.width(), image.height());
    const Point top = s.knee[side] + (s.ankle[side] - s.knee[side]) * 0.45;
    boot.capsule(top, s.ankle[side], 3.1, 2.7);
    boot.capsule(s.ankle[side], s.toe[side], 2.6, 2.1);
    boot.intersect(leg);
    paint(image, boot, shaded(palette::leather, darkness), {.outline = false});
}

void drawArm(Image& image, const Skeleton& s, int side, double darkness) {
    Shape arm(image.width(), image.height());
    arm.capsule(s.shoulder, s.elbow[side], 3.0, 2.6);
    arm.capsule(s.elbow[side], s.hand[side], 2.6, 2.3);
    arm.disc(s.hand[side], 2.2);
    paint(image, arm, shaded(palette::greatcoat, darkness));
    Shape glove(image.width(), image.height());
    glove.disc(s.hand[side], 2.2);
    paint(image, glove, shaded(palette::leather, darkness), {.outline = false});
}

void drawTorso(Image& image, const Skeleton& s) {
    Shape coat(image.width(), image.height());
    coat.capsule(s.hip + direction(180 - s.lean) * 2.0, s.neck, 7.0, 7.8);
    coat.polygon({onPart(s.hip, s.lean, {-6.5, -2}), onPart(s.hip, s.lean, {6.0, -2}),
                  onPart(s.hip, s.lean, {6.0, 7.5}), onPart(s.hip, s.lean, {-8.5, 8.5})});
    paint(image, coat, palette::greatcoat, {.outline = true, .light = 1, .shadow = 2});
    // Buttons down the front and a belt.
    Shape belt(image.width(), image.height());
    belt.capsule(onPart(s.hip, s.lean, {-7, 0.5}), onPart(s.hip, s.lean, {7, 0.5}), 1.0);
    belt.intersect(coat);
    paint(image, belt, palette::leather, {.outline = false, .light = 0, .shadow = 0});
    // A bandolier of cartridges across the chest.
    for (int k = 0; k < 6; ++k) {
        const Point p = onPart(s.hip, s.lean, {-4.5 + k * 1.8, -12 + k * 1.9});
        if (coat.has(static_cast<int>(p.x), static_cast<int>(p.y))) {
            image.set(static_cast<int>(p.x), static_cast<int>(p.y), palette::brass.light);
            image.set(static_cast<int>(p.x), static_cast<int>(p.y) + 1, palette::brass.shadow);
        }
    }
}

void drawHead(Image& image, const Skeleton& s, const GunnerLook& look) {
    const double tilt = s.lean;
    auto at = [&](double x, double y) { return onPart(s.head, tilt, {x, y}); };
    Shape head(image.width(), image.height());
    head.disc(s.head, gunnerBody.headRadius);
    paint(image, head, palette::mask);
    // The filter canister juts forward under the goggles.
    Shape filter(image.width(), image.height());
    filter.capsule(at(2.5, 2.0), at(5.0, 3.2), 1.6);
    paint(image, filter, palette::gunmetal);
    Shape lid(image.width(), image.height());
    lid.disc(at(-0.3, -1.8), 5.2);
    Shape below(image.width(), image.height());
    below.polygon({at(-8, -1.2), at(8, -1.2), at(8, 8), at(-8, 8)});
    lid.subtract(below);
    lid.capsule(at(-6, -1.5), at(5.5, -1.5), 0.8);
    paint(image, lid, palette::helmet);
    const Rgb glass = look.dim ? palette::ink : palette::lens;
    for (Point p : {at(2.2, 0.2), at(3.2, 0.2)}) {
        image.set(static_cast<int>(p.x), static_cast<int>(p.y), glass);
    }
    const Point rim = at(2.7, 1.2);
    image.set(static_cast<int>(rim.x), static_cast<int>(rim.y), palette::ink);
}

struct Gun {
    Point muzzle;
};

Gun drawGun(Image& image, Point grip, double angle) {
    const Point along = direction(angle);
    const Point up = direction(angle + 90);
    auto at = [&](double a, double u) { return grip + along * a + up * u; };
    Shape stock(image.width(), image.height());
    stock.polygon({at(-7, 1.5), at(-1, 2.5), at(-1, -0.5), at(-7, -1.8)});
    paint(image, stock, palette::leather);
    Shape barrel(image.width(), image.height());
    barrel.capsule(at(8, 2.0), at(19, 2.0), 1.1);
    paint(image, barrel, palette::gunmetal, {.outline = true, .light = 1, .shadow = 0});
    Shape shroud(image.width(), image.height());
    shroud.capsule(at(7, 2.0), at(14, 2.0), 1.9);
    paint(image, shroud, palette::gunmetal);
    for (double a : {9.0, 11.0, 13.0}) {
        const Point hole = at(a, 2.0);
        image.set(static_cast<int>(hole.x), static_cast<int>(hole.y), palette::ink);
    }
    Shape body(image.width(), image.height());
    body.polygon({at(-2, 3.8), at(8.5, 3.8), at(8.5, -0.6), at(-2, -0.6)});
    paint(image, body, palette::gunmetal, {.outline = true, .light = 1, .shadow = 1});
    Shape drum(image.width(), image.height());
    drum.disc(at(4, -2.6), 3.0);
    paint(image, drum, palette::brass);
    const Point hub = at(4, -2.6);
    image.set(static_cast<int>(hub.x), static_cast<int>(hub.y), palette::brass.shadow);
    return {at(19.8, 2.0)};
}

void drawFlash(Image& image, Point muzzle, double angle) {
    const Point along = direction(angle);
    const Point up = direction(angle + 90);
    auto at = [&](double a, double u) { return muzzle + along * a + up * u; };
    Shape outer(image.width(), image.height());
    outer.polygon({at(0, 3.5), at(3, 2), at(8.5, 0), at(3, -2), at(0, -3.5), at(1.5, 0)});
    outer.polygon({at(0.5, 1), at(2.5, 5.5), at(3.5, 1)});
    outer.polygon({at(0.5, -1), at(2.5, -5.5), at(3.5, -1)});
    paint(image, outer, palette::flashOuter);
    Shape middle(image.width(), image.height());
    middle.polygon({at(0, 2), at(5.5, 0), at(0, -2)});
    middle.disc(at(1.5, 0), 2.0);
    paint(image, middle, palette::flashMid);
    Shape core(image.width(), image.height());
    core.disc(at(1.4, 0), 1.1);
    paint(image, core, palette::flashCore);
}

// cppcheck-suppress constParameter ; paint draws into it
void drawSmoke(Image& image, Point muzzle) {
    const Ramp puff{palette::smokeDark, palette::smokeDark, palette::smoke, hex(0xc4c2cc)};
    Shape cloud(image.width(), image.height());
    cloud.disc(muzzle + Point{1.5, -2.5}, 2.2);
    cloud.disc(muzzle + Point{3.5, -5}, 1.8);
    cloud.disc(muzzle + Point{0.5, -6.5}, 1.4);
    paint(image, cloud, puff, {.outline = false, .light = 1, .shadow = 1});
}

Image drawGunner(const Pose& pose, const GunnerLook& look) {
    Image image(frameWidth, frameHeight);
    LightFromRight mirroredLater;
    const Skeleton s = buildSkeleton(gunnerBody, pose, frameWidth, frameHeight);
    if (look.dropped) {
        drawGun(image, {frameWidth / 2.0 + 8, frameHeight - 5.0}, 96);
    }
    drawArm(image, s, 0, farSide);
    drawLeg(image, s, 0, farSide);
    drawTorso(image, s);
    drawLeg(image, s, 1, 1.0);
    drawHead(image, s, look);
    if (!look.dropped) {
        const Gun gun = drawGun(image, s.hand[1], s.weapon);
        if (look.flash) {
            drawFlash(image, gun.muzzle, s.weapon);
        }
        if (look.smoke) {
            drawSmoke(image, gun.muzzle);
        }
    }
    drawArm(image, s, 1, 1.0);
    return image.mirrored();
}

Pose gunnerPose(double lean, Limb nearArm, Limb farArm, Limb nearLeg, Limb farLeg, double gun) {
    Pose pose;
    pose.lean = lean;
    pose.headTilt = -lean * 0.5;
    pose.nearArm = nearArm;
    pose.farArm = farArm;
    pose.nearLeg = nearLeg;
    pose.farLeg = farLeg;
    pose.weapon = gun;
    return pose;
}

Picture gunnerPicture(const std::string& name, const Pose& pose, const GunnerLook& look = {}) {
    return {name, drawGunner(pose, look), spriteKey};
}

} // namespace

void addShooterPictures(std::vector<Picture>& pictures) {
    // The gun rides at the hip, held by the near hand with the far hand under the barrel.
    pictures.push_back(
        gunnerPicture("shooter_idle0", gunnerPose(4, {-15, 80}, {40, 95}, {10, 0}, {-10, -8}, 94)));
    pictures.push_back(gunnerPicture("shooter_walk0",
                                     gunnerPose(7, {-12, 82}, {42, 96}, {30, 4}, {-22, -34}, 92)));
    pictures.push_back(gunnerPicture("shooter_walk1",
                                     gunnerPose(7, {-18, 78}, {38, 92}, {-20, -30}, {28, 6}, 96)));
    // Frame 0 fires; frame 1 shows the kick and the smoke.
    pictures.push_back(gunnerPicture("shooter_shoot0",
                                     gunnerPose(8, {-10, 85}, {45, 96}, {26, 6}, {-20, -22}, 90),
                                     {.flash = true}));
    pictures.push_back(gunnerPicture("shooter_shoot1",
                                     gunnerPose(-4, {-25, 95}, {30, 110}, {24, 6}, {-18, -20}, 108),
                                     {.smoke = true}));
    Pose fallen = gunnerPose(0, {-150, -120}, {-170, -140}, {40, -10}, {20, -30}, 90);
    fallen.headTilt = 10;
    fallen.turn = 90;
    fallen.anchor = Anchor::Bounds;
    pictures.push_back(gunnerPicture("shooter_die0", fallen, {.dropped = true, .dim = true}));
}

} // namespace art
