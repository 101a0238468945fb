// The attacker: a fast, hunched ghoul swordsman. Drawn facing right and mirrored, since enemies
// are always shown as stored and most of them come at the hero from the right.
#include "art/enemies/attacker.h"
#include "art/figure.h"
#include "art/palette.h"

#include <cmath>

namespace art {

namespace {

constexpr int frameWidth = 56;
constexpr int frameHeight = 50;

constexpr Proportions ghoulBody{
    .thigh = 9.5,
    .shin = 10,
    .foot = 4,
    .upperArm = 8.5,
    .foreArm = 8.5,
    .torso = 12,
    .neck = 2,
    .headRadius = 3.9,
    .shoulderDrop = 2,
    .legRadius = 2.0,
    .armRadius = 1.5,
};

constexpr double farSide = 0.7;
constexpr double pi = 3.14159265358979323846;

struct GhoulLook {
    double sweepFrom = 0, sweepTo = 0; // a slash trail when the two differ
    bool mouthOpen = false;
    bool eyesDim = false;
    double puddle = 0; // width of the pool of ichor under a fallen ghoul
};

Point onPart(Point origin, double angle, Point offset) {
    return rotated(origin + offset, origin, -angle);
}

void drawLeg(Image& image, const Skeleton& s, int side, double darkness) {
    Shape leg(image.width(), image.height());
    leg.capsule(s.hip, s.knee[side], 2.2, 1.8);
    leg.capsule(s.knee[side], s.ankle[side], 1.8, 1.4);
    Shape foot(image.width(), image.height());
    foot.capsule(s.ankle[side], s.toe[side], 1.5, 0.9);
    Shape all = leg;
    all.capsule(s.ankle[side], s.toe[side], 1.5, 0.9);
    paint(image, all, shaded(palette::wraps, darkness));
    paint(image, foot, shaded(palette::ghoulSkin, darkness), {.outline = false});
    // Bands of cloth wound round the shin.
    for (double t : {0.3, 0.6}) {
        const Point p = s.knee[side] + (s.ankle[side] - s.knee[side]) * t;
        image.set(static_cast<int>(p.x), static_cast<int>(p.y), palette::ink);
    }
}

void drawArm(Image& image, const Skeleton& s, int side, double darkness) {
    Shape arm(image.width(), image.height());
    arm.capsule(s.shoulder, s.elbow[side], 1.7, 1.3);
    arm.capsule(s.elbow[side], s.hand[side], 1.3, 1.2);
    arm.disc(s.hand[side], 1.6);
    paint(image, arm, shaded(palette::ghoulSkin, darkness));
    Shape bracer(image.width(), image.height());
    bracer.capsule(s.elbow[side] + (s.hand[side] - s.elbow[side]) * 0.35,
                   s.elbow[side] + (s.hand[side] - s.elbow[side]) * 0.75, 1.5);
    bracer.intersect(arm);
    paint(image, bracer, shaded(palette::wraps, darkness),
          {.outline = false, .light = 1, .shadow = 0});
    // Claws past the knuckles.
    const Point claw = s.hand[side] + (s.hand[side] - s.elbow[side]) * 0.3;
    image.set(static_cast<int>(claw.x), static_cast<int>(claw.y), palette::bone.light);
}

void drawTorso(Image& image, const Skeleton& s) {
    Shape tunic(image.width(), image.height());
    tunic.capsule(s.hip, s.neck, 3.3, 3.9);
    // A ragged hem hanging from the hips.
    std::vector<Point> hem{onPart(s.hip, s.lean, {-3.6, -2}), onPart(s.hip, s.lean, {3.4, -2})};
    const double teeth[] = {4.5, 7.5, 5, 8.5, 5.5, 9};
    for (int i = 0; i < 6; ++i) {
        hem.push_back(onPart(s.hip, s.lean, {3.4 - i * 1.6, teeth[i]}));
    }
    hem.push_back(onPart(s.hip, s.lean, {-5.5, 6}));
    tunic.polygon(hem);
    paint(image, tunic, palette::rags);
    Shape sash(image.width(), image.height());
    sash.capsule(onPart(s.hip, s.lean, {-3.5, -1.6}), onPart(s.hip, s.lean, {3.5, -1.6}), 0.8);
    sash.intersect(tunic);
    paint(image, sash, hex(0x8a2a2a));
}

void drawHead(Image& image, const Skeleton& s, const GhoulLook& look) {
    const double tilt = s.lean;
    const double r = ghoulBody.headRadius;
    Shape head(image.width(), image.height());
    head.disc(s.head, r);
    // A long jaw thrust forward.
    head.polygon({onPart(s.head, tilt, {0, 0.5}), onPart(s.head, tilt, {r + 1.6, 1.2}),
                  onPart(s.head, tilt, {r + 0.6, r + 0.6}), onPart(s.head, tilt, {-0.5, r})});
    paint(image, head, palette::ghoulSkin);
    Shape hood(image.width(), image.height());
    hood.disc(onPart(s.head, tilt, {-1.0, -0.7}), r + 0.9);
    hood.polygon({onPart(s.head, tilt, {-2, -r}), onPart(s.head, tilt, {-6.5, -1.5}),
                  onPart(s.head, tilt, {-3.5, 2})});
    Shape face(image.width(), image.height());
    face.disc(onPart(s.head, tilt, {2.4, 1.3}), r - 0.2);
    hood.subtract(face);
    paint(image, hood, palette::rags);
    const Point eye = onPart(s.head, tilt, {2.4, -0.4});
    image.set(static_cast<int>(eye.x), static_cast<int>(eye.y),
              look.eyesDim ? palette::ink : palette::ghoulEyeCore);
    image.set(static_cast<int>(eye.x) + 1, static_cast<int>(eye.y),
              look.eyesDim ? palette::ink : palette::ghoulEye);
    const Point mouth = onPart(s.head, tilt, {r + 0.2, 2.2});
    if (look.mouthOpen) {
        rect(image, static_cast<int>(mouth.x) - 1, static_cast<int>(mouth.y), 3, 2, palette::maw);
        image.set(static_cast<int>(mouth.x), static_cast<int>(mouth.y), palette::tooth);
    } else {
        image.set(static_cast<int>(mouth.x), static_cast<int>(mouth.y), palette::ink);
        image.set(static_cast<int>(mouth.x) - 1, static_cast<int>(mouth.y), palette::tooth);
    }
}

void drawScimitar(Image& image, const Skeleton& s, Point hand) {
    const Point along = direction(s.weapon);
    const Point across = direction(s.weapon - 90); // the blade curves toward its back edge
    Shape blade(image.width(), image.height());
    Point previous = hand + along * 2.0;
    for (int k = 1; k <= 6; ++k) {
        const double t = k / 6.0;
        const Point next = hand + along * (2.0 + 12.0 * t) + across * (2.6 * t * t);
        blade.capsule(previous, next, 1.6 - 0.7 * t, 1.6 - 0.7 * std::min(1.0, t + 1.0 / 6));
        previous = next;
    }
    paint(image, blade, palette::notchedSteel);
    // Rust eating into the old blade.
    for (double t : {0.35, 0.7}) {
        const Point spot = hand + along * (2.0 + 12.0 * t) + across * (2.6 * t * t);
        image.set(static_cast<int>(spot.x), static_cast<int>(spot.y), palette::rustSpot);
    }
    Shape hilt(image.width(), image.height());
    hilt.capsule(hand + along * 1.6 - across * 1.8, hand + along * 1.6 + across * 1.8, 0.7);
    hilt.capsule(hand - along * 1.8, hand + along * 0.8, 0.7);
    paint(image, hilt, palette::leather, {.outline = true, .light = 1, .shadow = 0});
}

void drawSweep(Image& image, const Skeleton& s, double from, double to) {
    const Point tip = s.hand[1] + direction(s.weapon) * 14.0;
    const Point reach = tip - s.shoulder;
    const double outer = std::sqrt(reach.x * reach.x + reach.y * reach.y) + 0.5;
    sweep(image, s.shoulder, outer - 8, outer, from, to, hex(0xf0ffe0), hex(0xb4e08a));
}

Image drawGhoul(const Pose& pose, const GhoulLook& look) {
    Image image(frameWidth, frameHeight);
    LightFromRight mirroredLater;
    const Skeleton s = buildSkeleton(ghoulBody, pose, frameWidth, frameHeight);
    if (look.puddle > 0) {
        Shape pool(image.width(), image.height());
        pool.ellipse({frameWidth / 2.0, frameHeight - 1.5}, look.puddle, 1.8);
        paint(image, pool, palette::ichor, {.outline = false, .light = 1, .shadow = 0});
    }
    drawArm(image, s, 0, farSide);
    drawLeg(image, s, 0, farSide);
    drawTorso(image, s);
    drawLeg(image, s, 1, 1.0);
    drawHead(image, s, look);
    if (look.sweepFrom != look.sweepTo) {
        drawSweep(image, s, look.sweepFrom, look.sweepTo);
    }
    drawScimitar(image, s, s.hand[1]);
    drawArm(image, s, 1, 1.0);
    return image.mirrored();
}

Pose ghoulPose(double lean, Limb nearArm, Limb farArm, Limb nearLeg, Limb farLeg, double weapon) {
    Pose pose;
    pose.lean = lean;
    pose.headTilt = -lean * 0.9; // the head stays level, peering ahead
    pose.nearArm = nearArm;
    pose.farArm = farArm;
    pose.nearLeg = nearLeg;
    pose.farLeg = farLeg;
    pose.weapon = weapon;
    return pose;
}

// A loping stride; `phase` runs once round the cycle over 0..1.
Pose stride(double phase) {
    const double t = phase * 2 * pi;
    auto leg = [](double a) {
        const double thigh = 10 + 34 * std::sin(a);
        const double fold = 22 + 64 * std::pow(std::max(0.0, std::cos(a)), 1.5);
        return Limb{thigh, thigh - fold};
    };
    Pose pose = ghoulPose(26, {}, {}, leg(t), leg(t + pi), 0);
    const double swing = 30 * std::sin(t);
    pose.nearArm = {20 - swing, 70 - swing};
    pose.farArm = {40 + swing, 95 + swing};
    pose.weapon = 135 - swing * 0.4; // the blade held high in front, ready to come down
    return pose;
}

Picture ghoulPicture(const std::string& name, const Pose& pose, const GhoulLook& look = {}) {
    return {name, drawGhoul(pose, look), spriteKey};
}

} // namespace

void addAttackerPictures(std::vector<Picture>& pictures) {
    pictures.push_back(ghoulPicture("attacker_walk0", stride(0.0)));
    pictures.push_back(ghoulPicture("attacker_walk1", stride(1.0 / 3)));
    pictures.push_back(ghoulPicture("attacker_walk2", stride(2.0 / 3)));
    pictures.push_back(ghoulPicture("attacker_walk3", stride(0.5)));
    // Frame 0 strikes: the blade comes down across the front; frame 1 draws it back overhead.
    pictures.push_back(ghoulPicture("attacker_sword0",
                                    ghoulPose(30, {92, 55}, {-30, 10}, {48, 14}, {-30, -48}, 45),
                                    {.sweepFrom = 125, .sweepTo = 45, .mouthOpen = true}));
    pictures.push_back(ghoulPicture(
        "attacker_sword1", ghoulPose(6, {150, -175}, {70, 110}, {30, 10}, {-22, -36}, -105),
        {.mouthOpen = true}));
    // Struck, buckling to the knees, face down in a pool.
    Pose struck = ghoulPose(-18, {-140, -110}, {-160, -120}, {30, -10}, {5, -30}, -60);
    struck.headTilt = -20;
    pictures.push_back(ghoulPicture("attacker_die0", struck, {.mouthOpen = true}));
    Pose kneeling = ghoulPose(40, {30, 10}, {10, -10}, {90, -5}, {70, -20}, 20);
    kneeling.headTilt = 30;
    pictures.push_back(ghoulPicture("attacker_die1", kneeling, {.eyesDim = true, .puddle = 6}));
    Pose fallen = ghoulPose(0, {170, 175}, {150, 170}, {10, -20}, {-5, -40}, 170);
    fallen.headTilt = 0;
    fallen.turn = -90;
    fallen.anchor = Anchor::Bounds;
    pictures.push_back(ghoulPicture("attacker_die2", fallen, {.eyesDim = true, .puddle = 14}));
}

} // namespace art
