// The hero: a swordsman in a leather jacket and red scarf, every frame the same size with the
// hips on the centre line and the feet on the bottom edge, facing right.
#include "art/hero.h"
#include "art/figure.h"
#include "art/palette.h"

#include <cmath>
#include <optional>

namespace art {

namespace {

constexpr int frameWidth = 64;  // wide enough for the sword at full stretch
constexpr int frameHeight = 60; // headroom for the blade held overhead

constexpr Proportions heroBody{
    .thigh = 10,
    .shin = 10,
    .foot = 4,
    .upperArm = 7.5,
    .foreArm = 7,
    .torso = 13,
    .neck = 2.2,
    .headRadius = 4.6,
    .shoulderDrop = 2.4,
    .legRadius = 2.4,
    .armRadius = 1.8,
};

constexpr double bladeLength = 13;
constexpr double farSide = 0.72; // the far limbs sit in the body's shadow

struct Trail {
    double from, to; // sword angles the blade swept through
};

// Everything about a frame beyond the pose.
struct Look {
    double wind = 0.4;  // how far the scarf and headband stream back (0 hangs, 1 flies)
    double flutter = 0; // phase of the cloth's wave
    std::optional<Trail> trail{};
    bool flame = false;  // a fireball held in the front hand
    bool ladder = false; // a ladder in front of the hero
    bool eyesShut = false;
    bool bladeBehind = false; // the sword passes behind the body
};

// Offsets given in the head's upright frame, turned with the head.
Point onHead(const Skeleton& s, double tilt, Point offset) {
    return rotated(s.head + offset, s.head, -tilt);
}

Point onTorso(const Skeleton& s, Point offset) {
    return rotated(s.hip + offset, s.hip, -s.lean);
}

void drawRibbon(Image& image, Point start, double length, double width, double wind, double flutter,
                double along, const Ramp& ramp) {
    Shape ribbon(image.width(), image.height());
    Point previous = start;
    const int pieces = 6;
    for (int k = 1; k <= pieces; ++k) {
        const double t = static_cast<double>(k) / pieces;
        const double back = -length * t * (0.25 + 0.75 * wind);
        const double down =
            length * t * (1.0 - wind) * 0.9 + std::sin(flutter + t * 5.0) * wind * 1.3;
        const Point next = rotated(start + Point{back, down}, start, -along);
        ribbon.capsule(previous, next, width * (1.0 - 0.35 * t));
        previous = next;
    }
    paint(image, ribbon, ramp, {.outline = true, .light = 1, .shadow = 0});
}

void drawLeg(Image& image, const Skeleton& s, int side, double darkness) {
    const Ramp cloth = shaded(palette::trousers, darkness);
    const Ramp boot = shaded(palette::boots, darkness);
    Shape leg(image.width(), image.height());
    leg.capsule(s.hip, s.knee[side], 2.7, 2.3);
    leg.capsule(s.knee[side], s.ankle[side], 2.3, 2.0);
    leg.capsule(s.ankle[side], s.toe[side], 1.9, 1.4);
    paint(image, leg, cloth);
    Shape shoe(image.width(), image.height());
    const Point shin = s.knee[side] + (s.ankle[side] - s.knee[side]) * 0.55;
    shoe.capsule(shin, s.ankle[side], 2.2, 2.0);
    shoe.capsule(s.ankle[side], s.toe[side], 1.9, 1.4);
    shoe.intersect(leg);
    paint(image, shoe, boot, {.outline = false});
}

void drawArm(Image& image, const Skeleton& s, int side, double darkness) {
    Shape arm(image.width(), image.height());
    arm.capsule(s.shoulder, s.elbow[side], 2.1, 1.8);
    arm.capsule(s.elbow[side], s.hand[side], 1.8, 1.6);
    Shape hand(image.width(), image.height());
    hand.disc(s.hand[side], 1.7);
    Shape all = arm;
    all.disc(s.hand[side], 1.7);
    paint(image, all, shaded(palette::jacket, darkness));
    paint(image, hand, shaded(palette::skin, darkness), {.outline = false});
}

void drawSword(Image& image, const Skeleton& s, Point hand) {
    const Point along = direction(s.weapon);
    const Point across = direction(s.weapon + 90);
    Shape blade(image.width(), image.height());
    blade.capsule(hand + along * 2.4, hand + along * (2.4 + bladeLength), 1.1, 0.55);
    paint(image, blade, palette::steel);
    Shape grip(image.width(), image.height());
    grip.capsule(hand - along * 2.2, hand + along * 1.0, 0.8);
    paint(image, grip, palette::leather);
    Shape guard(image.width(), image.height());
    guard.capsule(hand + along * 1.8 - across * 2.4, hand + along * 1.8 + across * 2.4, 0.8);
    guard.disc(hand - along * 2.4, 1.0);
    paint(image, guard, palette::gold, {.outline = true, .light = 1, .shadow = 0});
}

void drawTrail(Image& image, const Skeleton& s, Trail trail) {
    // The arc swept by the outer part of the blade, around the shoulder.
    const Point tip = s.hand[1] + direction(s.weapon) * (2.4 + bladeLength);
    const Point reach = tip - s.shoulder;
    const double outer = std::sqrt(reach.x * reach.x + reach.y * reach.y) + 0.5;
    sweep(image, s.shoulder, outer - 9, outer, trail.from, trail.to, palette::trailOuter,
          palette::trailInner);
}

void drawFlame(Image& image, Point hand) {
    Shape outer(image.width(), image.height());
    outer.disc(hand + Point{2.5, -1.5}, 3.2);
    outer.capsule(hand + Point{2.5, -1.5}, hand + Point{-2.5, -4}, 2.2, 0.6);
    paint(image, outer, Ramp{hex(0x5a1008), hex(0xc0301a), hex(0xf06a1e), hex(0xffb040)});
    Shape core(image.width(), image.height());
    core.disc(hand + Point{2.8, -1.8}, 1.6);
    paint(image, core, hex(0xfff0a0));
}

// cppcheck-suppress constParameter ; paint draws into it
void drawLadder(Image& image) {
    const Ramp wood{palette::ink, hex(0x5a3a1e), hex(0x8a5c30), hex(0xb88450)};
    Shape rails(image.width(), image.height());
    rails.rect(44, 0, 2, frameHeight);
    rails.rect(56, 0, 2, frameHeight);
    for (int y = 4; y < frameHeight; y += 8) {
        rails.rect(46, y, 10, 2);
    }
    paint(image, rails, wood, {.outline = true, .light = 1, .shadow = 0});
}

void drawHead(Image& image, const Skeleton& s, const Look& look) {
    const double tilt = s.lean;
    const double r = heroBody.headRadius;
    // Headband tails stream from the back of the head.
    drawRibbon(image, onHead(s, tilt, {-r + 0.5, -1.5}), 7, 0.9, look.wind, look.flutter + 1.0,
               tilt, palette::scarf);
    Shape head(image.width(), image.height());
    head.disc(s.head, r);
    paint(image, head, palette::skin);
    Shape hair(image.width(), image.height());
    hair.disc(onHead(s, tilt, {-0.9, -0.9}), r + 0.2);
    hair.polygon(
        {onHead(s, tilt, {-2, -4.6}), onHead(s, tilt, {-7.2, -2.6}), onHead(s, tilt, {-3, -1})});
    hair.polygon(
        {onHead(s, tilt, {-3, -2}), onHead(s, tilt, {-6.8, 1.8}), onHead(s, tilt, {-2.5, 1.5})});
    hair.polygon(
        {onHead(s, tilt, {0, -4.8}), onHead(s, tilt, {-1.5, -7}), onHead(s, tilt, {-3.5, -3.5})});
    Shape face(image.width(), image.height());
    face.disc(onHead(s, tilt, {2.1, 1.5}), r - 0.6);
    hair.subtract(face);
    paint(image, hair, palette::hair);
    Shape band(image.width(), image.height());
    band.capsule(onHead(s, tilt, {-r, -1.4}), onHead(s, tilt, {r, -2.2}), 0.8);
    Shape headArea(image.width(), image.height());
    headArea.disc(s.head, r + 0.2);
    band.intersect(headArea);
    paint(image, band, palette::scarf, {.outline = false, .light = 1, .shadow = 0});
    const Point eye = onHead(s, tilt, {2.6, 0.2});
    image.set(static_cast<int>(eye.x), static_cast<int>(eye.y), palette::ink);
    if (look.eyesShut) {
        image.set(static_cast<int>(eye.x) - 1, static_cast<int>(eye.y), palette::ink);
    } else {
        image.set(static_cast<int>(eye.x) - 1, static_cast<int>(eye.y), hex(0xf4f0ff));
    }
}

void drawTorso(Image& image, const Skeleton& s) {
    Shape coat(image.width(), image.height());
    coat.capsule(s.hip, s.neck, 3.7, 4.2);
    coat.polygon({onTorso(s, {-3.8, -1.5}), onTorso(s, {3.2, -1.5}), onTorso(s, {3.6, 5.0}),
                  onTorso(s, {-6.5, 6.5})});
    paint(image, coat, palette::jacket);
    Shape belt(image.width(), image.height());
    belt.capsule(onTorso(s, {-3.7, -1.3}), onTorso(s, {3.7, -1.3}), 0.9);
    belt.intersect(coat);
    paint(image, belt, palette::leather, {.outline = false, .light = 0, .shadow = 0});
    const Point buckle = onTorso(s, {3.0, -1.3});
    image.set(static_cast<int>(buckle.x), static_cast<int>(buckle.y), palette::gold.light);
    Shape collar(image.width(), image.height());
    collar.disc(s.neck + direction(s.lean) * 0.5, 2.6);
    paint(image, collar, palette::scarf);
}

Image drawHero(const Pose& pose, const Look& look) {
    Image image(frameWidth, frameHeight);
    if (look.ladder) {
        drawLadder(image);
    }
    const Skeleton s = buildSkeleton(heroBody, pose, frameWidth, frameHeight);
    drawRibbon(image, s.neck + Point{-1.5, 0}, 10, 1.4, look.wind, look.flutter, s.lean * 0.3,
               palette::scarf);
    if (look.bladeBehind) {
        drawSword(image, s, s.hand[1]);
    }
    drawArm(image, s, 0, farSide);
    drawLeg(image, s, 0, farSide);
    drawTorso(image, s);
    drawLeg(image, s, 1, 1.0);
    drawHead(image, s, look);
    if (look.trail) {
        drawTrail(image, s, *look.trail);
    }
    if (!look.bladeBehind) {
        drawSword(image, s, s.hand[1]);
    }
    drawArm(image, s, 1, 1.0);
    if (look.flame) {
        drawFlame(image, s.hand[1]);
    }
    return image;
}

Pose stance(double lean, Limb nearArm, Limb farArm, Limb nearLeg, Limb farLeg, double weapon) {
    Pose pose;
    pose.lean = lean;
    pose.nearArm = nearArm;
    pose.farArm = farArm;
    pose.nearLeg = nearLeg;
    pose.farLeg = farLeg;
    pose.weapon = weapon;
    return pose;
}

Pose airborne(Pose pose, double lift) {
    pose.grounded = false;
    pose.lift = lift;
    return pose;
}

// One of the ten run frames: legs and arms swing in opposition, the recovering leg folds.
Pose runPose(int index) {
    const double t = index * 2.0 * 3.14159265358979323846 / 10.0;
    auto leg = [](double phase) {
        const double thigh = 6 + 40 * std::sin(phase);
        const double fold = 18 + 78 * std::pow(std::max(0.0, std::cos(phase)), 1.5);
        return Limb{thigh, thigh - fold};
    };
    auto arm = [](double phase) {
        const double upper = -38 * std::sin(phase) + 8;
        return Limb{upper, upper + 85};
    };
    Pose pose;
    pose.lean = 14;
    pose.headTilt = -8;
    pose.nearLeg = leg(t);
    pose.farLeg = leg(t + 3.14159265358979323846);
    pose.nearArm = arm(t);
    pose.farArm = arm(t + 3.14159265358979323846);
    pose.weapon = pose.nearArm.lower + 60;
    return pose;
}

Picture heroPicture(const std::string& name, const Pose& pose, const Look& look = {}) {
    return {name, drawHero(pose, look), sceneKey};
}

// The first idle frame: the hero at rest, sword raised in front.
Pose atRest() {
    return stance(4, {28, 100}, {-6, 22}, {12, 2}, {-12, -14}, 128);
}

constexpr Look calm{.wind = 0.15};

} // namespace

Image heroHead(int size) {
    const Skeleton s = buildSkeleton(heroBody, atRest(), frameWidth, frameHeight);
    // The head a little above the middle, so the scarf at the collar shows beneath it.
    const int left = static_cast<int>(std::lround(s.head.x)) - size / 2;
    const int top = static_cast<int>(std::lround(s.head.y)) - size / 2 + size / 8;
    return drawHero(atRest(), calm).cropped(left, top, size, size);
}

std::vector<Picture> heroPictures() {
    std::vector<Picture> pictures;
    pictures.push_back(heroPicture("idle0", atRest(), calm));
    pictures.push_back(heroPicture("idle1",
                                   stance(5, {30, 104}, {-4, 26}, {15, 0}, {-14, -18}, 124),
                                   {.wind = 0.2, .flutter = 1.5}));
    pictures.push_back(heroPicture(
        "run_start", stance(10, {-10, 70}, {20, 95}, {32, 12}, {-18, -40}, 130), {.wind = 0.55}));
    for (int i = 0; i < 10; ++i) {
        pictures.push_back(heroPicture("run" + std::to_string(i), runPose(i),
                                       {.wind = 0.9, .flutter = i * 0.628 * 2}));
    }

    // Jump: crouch, spring, tuck at the top, reach down, land and rise.
    pictures.push_back(heroPicture(
        "jump_start", stance(26, {-40, -5}, {-55, -20}, {78, -22}, {62, -38}, 150), calm));
    pictures.push_back(heroPicture(
        "jump_up_0", airborne(stance(8, {140, 165}, {120, 150}, {18, 4}, {-16, -28}, 175), 2),
        {.wind = 0.2}));
    pictures.push_back(heroPicture(
        "jump_up_1", airborne(stance(10, {125, 150}, {100, 135}, {80, 10}, {-8, -48}, 165), 4),
        {.wind = 0.1}));
    pictures.push_back(heroPicture(
        "jump_top", airborne(stance(16, {105, 150}, {60, 120}, {100, -8}, {78, -30}, 160), 6),
        {.wind = 0.0}));
    pictures.push_back(heroPicture(
        "jump_down_0", airborne(stance(8, {110, 95}, {-70, -55}, {45, 8}, {10, -22}, 125), 4),
        {.wind = 0.0, .flutter = 2}));
    pictures.push_back(heroPicture(
        "jump_down_1", airborne(stance(4, {82, 110}, {-45, -20}, {22, 4}, {-6, -12}, 140), 1),
        {.wind = 0.0, .flutter = 3}));
    pictures.push_back(heroPicture(
        "jump_land_0", stance(22, {60, 100}, {-30, 12}, {72, -12}, {42, -42}, 100), calm));
    pictures.push_back(
        heroPicture("jump_land_1", stance(10, {40, 100}, {-15, 20}, {40, 4}, {8, -24}, 122), calm));

    // Throwing a fireball, standing and in the air.
    pictures.push_back(heroPicture("shoot0",
                                   stance(-4, {-70, -40}, {40, 80}, {20, 4}, {-18, -20}, -150),
                                   {.wind = 0.3, .flame = true}));
    pictures.push_back(heroPicture("shoot1",
                                   stance(12, {85, 90}, {-40, -10}, {30, 10}, {-25, -30}, 150),
                                   {.wind = 0.5, .flame = true}));

    // The swing: guard, draw back over the shoulder, sweep the blade through the front
    // (frames 5 and 6 strike), follow through and recover.
    const Look swing{.wind = 0.35};
    pictures.push_back(
        heroPicture("sword0", stance(8, {40, 108}, {10, 60}, {26, 6}, {-20, -22}, 140), swing));
    pictures.push_back(
        heroPicture("sword1", stance(2, {120, 168}, {30, 80}, {24, 6}, {-20, -24}, -170), swing));
    pictures.push_back(heroPicture("sword2",
                                   stance(-6, {160, -165}, {60, 115}, {28, 10}, {-24, -30}, -125),
                                   {.wind = 0.35, .bladeBehind = true}));
    pictures.push_back(heroPicture("sword3",
                                   stance(-10, {170, -150}, {75, 120}, {30, 12}, {-26, -32}, -100),
                                   {.wind = 0.3, .bladeBehind = true}));
    pictures.push_back(
        heroPicture("sword4", stance(2, {168, 178}, {40, 95}, {36, 16}, {-30, -38}, 178), swing));
    pictures.push_back(heroPicture("sword5",
                                   stance(16, {128, 118}, {-20, 20}, {46, 20}, {-34, -46}, 116),
                                   {.wind = 0.7, .trail = Trail{190, 116}}));
    pictures.push_back(heroPicture("sword6",
                                   stance(22, {98, 82}, {-40, -10}, {54, 24}, {-40, -56}, 66),
                                   {.wind = 0.9, .trail = Trail{150, 66}}));
    pictures.push_back(heroPicture("sword7",
                                   stance(18, {55, 32}, {-35, 0}, {50, 22}, {-36, -50}, 22),
                                   {.wind = 0.7, .trail = Trail{70, 22}}));
    pictures.push_back(
        heroPicture("sword8", stance(12, {40, 70}, {-10, 30}, {36, 14}, {-28, -36}, 80), swing));
    pictures.push_back(
        heroPicture("sword9", stance(7, {34, 100}, {0, 40}, {24, 6}, {-18, -20}, 122), swing));
    pictures.push_back(
        heroPicture("sword10", stance(5, {30, 100}, {-4, 26}, {14, 2}, {-12, -15}, 126), calm));

    // Climbing: hands on the rungs, knees taking turns.
    pictures.push_back(heroPicture(
        "ladder0", airborne(stance(0, {150, 120}, {110, 80}, {85, -5}, {20, -10}, 120), 2),
        {.wind = 0.0, .ladder = true}));
    pictures.push_back(heroPicture(
        "ladder1", airborne(stance(0, {110, 80}, {150, 120}, {20, -10}, {85, -5}, 120), 6),
        {.wind = 0.0, .flutter = 2, .ladder = true}));

    // Throwing in mid-air.
    pictures.push_back(heroPicture(
        "jump-shot0", airborne(stance(0, {-90, -60}, {60, 110}, {70, -5}, {30, -30}, -140), 4),
        {.wind = 0.1, .flame = true}));
    pictures.push_back(heroPicture(
        "jump-shot1", airborne(stance(6, {-20, 40}, {40, 100}, {80, 0}, {40, -30}, -170), 6),
        {.wind = 0.1, .flame = true}));
    pictures.push_back(heroPicture(
        "jump-shot2", airborne(stance(14, {88, 92}, {-40, -20}, {70, 5}, {30, -20}, 150), 6),
        {.wind = 0.3, .flame = true}));
    pictures.push_back(heroPicture(
        "jump-shot3", airborne(stance(10, {80, 100}, {-50, -30}, {40, 10}, {10, -25}, 150), 3),
        {.wind = 0.4}));

    // Dying: struck and buckling, then flat on the back.
    Pose struck = stance(-22, {-120, -100}, {-150, -130}, {40, -30}, {20, -50}, -120);
    struck.headTilt = -25;
    pictures.push_back(heroPicture("hero-die0", struck, {.wind = 0.0, .eyesShut = true}));
    Pose fallen = stance(0, {-30, -10}, {-60, -30}, {10, -20}, {-10, -30}, 30);
    fallen.turn = 90;
    fallen.anchor = Anchor::Bounds;
    pictures.push_back(
        heroPicture("hero-die1", fallen, {.wind = 0.0, .eyesShut = true, .bladeBehind = true}));
    return pictures;
}

} // namespace art
