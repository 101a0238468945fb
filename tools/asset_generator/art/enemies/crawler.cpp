// The crawler: a pale, spiny creature that creeps on four jointed limbs and lunges with its
// jaws. Drawn facing right and mirrored.
#include "art/enemies/crawler.h"
#include "art/figure.h"
#include "art/palette.h"

#include <cmath>

namespace art {

namespace {

constexpr int frameWidth = 52;
constexpr int frameHeight = 26;
constexpr double ground = frameHeight - 1.5; // where the claws rest
constexpr double pi = 3.14159265358979323846;
constexpr double farSide = 0.7;

enum Leg { FarFront, FarBack, NearFront, NearBack };

struct CrawlerPose {
    double forward = 0;             // body moved forward (+) or back
    double sink = 0;                // body lowered toward the ground
    double pitch = 0;               // front raised (+) or lowered, degrees
    double jaw = 6;                 // jaw opening, degrees
    double step[4] = {0, 0, 0, 0};  // each foot's offset along the ground
    double raise[4] = {0, 0, 0, 0}; // each foot's height above the ground
    double splay = 0;               // limbs thrown wide and flat (collapse)
    bool dim = false;               // eyes gone dark
    bool curled = false;            // limbs drawn in, for lying on the back
};

struct Body {
    Point rear, front, head, along;
    double pitch;
};

Point onBody(const Body& b, Point offset) {
    return rotated(b.front + offset, b.front, -b.pitch);
}

Body placeBody(const CrawlerPose& pose) {
    const double centre = frameWidth / 2.0 + pose.forward;
    const double height = 14.5 + pose.sink;
    Body b;
    b.pitch = pose.pitch;
    const Point middle{centre - 2, height};
    // Positive pitch raises the front: turn the body about its middle.
    b.rear = rotated(middle + Point{-9, 0.8}, middle, -pose.pitch);
    b.front = rotated(middle + Point{8, -0.8}, middle, -pose.pitch);
    const Point d = b.front - b.rear;
    const double length = std::sqrt(d.x * d.x + d.y * d.y);
    b.along = d * (1.0 / length);
    b.head = b.front + b.along * 5.5 + Point{0, -1.0};
    return b;
}

void drawLimb(Image& image, Point hip, Point foot, bool front, double darkness, double splay) {
    const double upper = 7.5, lower = 8.5;
    // Front limbs fold their elbows back and up, hind limbs their knees forward and up.
    Point bend = front ? Point{-0.6, -1} : Point{0.6, -1};
    bend.y += splay * 1.4;
    const Point joint = middleJoint(hip, foot, upper, lower, bend);
    Shape limb(image.width(), image.height());
    limb.capsule(hip, joint, front ? 1.7 : 2.3, 1.3);
    limb.capsule(joint, foot, 1.3, 0.9);
    paint(image, limb, shaded(palette::pale, darkness));
    Shape claw(image.width(), image.height());
    claw.polygon({foot + Point{-0.5, -1.2}, foot + Point{3.2, 0.6}, foot + Point{-0.5, 0.9}});
    paint(image, claw, shaded(palette::bone, darkness), {.outline = true, .light = 1, .shadow = 0});
    // A spur on the joint.
    Shape spur(image.width(), image.height());
    spur.polygon(
        {joint + Point{-1, 0}, joint + Point{front ? -2.5 : 2.5, -2.6}, joint + Point{1, 0}});
    paint(image, spur, shaded(palette::bone, darkness),
          {.outline = false, .light = 0, .shadow = 0});
}

Point hipOf(const Body& b, Leg leg) {
    const bool front = leg == FarFront || leg == NearFront;
    const Point base = front ? b.front - b.along * 2.0 : b.rear + b.along * 2.5;
    return base + Point{0, 1.5};
}

Point footOf(const Body& b, const CrawlerPose& pose, Leg leg) {
    const bool front = leg == FarFront || leg == NearFront;
    const bool far = leg == FarFront || leg == FarBack;
    const Point hip = hipOf(b, leg);
    const double reach = front ? 5.5 : -4.0;
    const double spread = pose.splay * (front ? 6.0 : -6.0);
    const double x = hip.x + reach + spread + pose.step[leg] + (far ? 2.0 : 0.0);
    const double y = ground - pose.raise[leg] - (far ? 1.0 : 0.0);
    if (pose.curled) {
        return hip + Point{front ? 4.0 : -4.0, 6.0 - (far ? 1 : 0)};
    }
    return {x, y};
}

void drawTail(Image& image, const Body& b) {
    Shape tail(image.width(), image.height());
    Point previous = b.rear;
    const Point bends[] = {{-3.5, 1.2}, {-7, 1.6}, {-10, 0.8}, {-12, -1.2}, {-12.5, -3.2}};
    double radius = 3.0;
    for (const Point& offset : bends) {
        const Point next = rotated(b.rear + offset, b.rear, -b.pitch);
        tail.capsule(previous, next, radius, radius * 0.72);
        previous = next;
        radius *= 0.72;
    }
    paint(image, tail, palette::pale);
}

void drawTorso(Image& image, const Body& b) {
    Shape spines(image.width(), image.height());
    for (int k = 0; k < 5; ++k) {
        const Point root = b.rear + (b.front - b.rear) * (0.1 + 0.2 * k);
        const Point top = onBody(b, root - b.front + Point{-2.2, -7.5 - (k % 2) * 1.5});
        const Point a = onBody(b, root - b.front + Point{-1.6, -3.0});
        const Point c = onBody(b, root - b.front + Point{1.6, -3.0});
        spines.polygon({a, top, c});
    }
    paint(image, spines, palette::bone, {.outline = true, .light = 1, .shadow = 0});
    Shape body(image.width(), image.height());
    body.capsule(b.rear, b.front, 4.4, 5.2);
    paint(image, body, palette::pale, {.outline = true, .light = 1, .shadow = 2});
    // Dark bands across the back.
    for (int k = 0; k < 4; ++k) {
        const Point p = b.rear + (b.front - b.rear) * (0.15 + 0.22 * k);
        for (int dy = -4; dy <= -2; ++dy) {
            const Point q = onBody(b, p - b.front + Point{0, static_cast<double>(dy)});
            if (body.has(static_cast<int>(q.x), static_cast<int>(q.y))) {
                image.set(static_cast<int>(q.x), static_cast<int>(q.y), palette::crawlerStripe);
            }
        }
    }
}

void drawHead(Image& image, const Body& b, const CrawlerPose& pose) {
    const Point h = b.head;
    const double tilt = b.pitch;
    auto at = [&](double x, double y) { return rotated(h + Point{x, y}, h, -tilt); };
    const Point hinge = at(0.5, 1.2);
    auto lowerJaw = [&](double x, double y) { return rotated(at(x, y), hinge, pose.jaw); };
    Shape mouth(image.width(), image.height());
    mouth.polygon({hinge, at(7.5, 0.8), lowerJaw(7.0, 1.6), lowerJaw(1.0, 1.6)});
    Shape jawShape(image.width(), image.height());
    jawShape.polygon({lowerJaw(0, 1.0), lowerJaw(7.0, 1.3), lowerJaw(6.0, 3.6), lowerJaw(0, 3.8)});
    paint(image, jawShape, palette::pale);
    Shape skull(image.width(), image.height());
    skull.disc(h, 4.3);
    skull.polygon({at(0, -3.6), at(8.0, -0.6), at(8.0, 1.2), at(0, 1.8)});
    paint(image, skull, palette::pale);
    if (pose.jaw > 12) {
        paint(image, mouth, palette::maw);
        for (double x : {2.5, 4.5, 6.5}) {
            const Point top = at(x, 1.6);
            const Point bottom = lowerJaw(x - 0.5, 0.9);
            image.set(static_cast<int>(top.x), static_cast<int>(top.y), palette::tooth);
            image.set(static_cast<int>(bottom.x), static_cast<int>(bottom.y), palette::tooth);
        }
    } else {
        for (double x : {3.0, 5.0, 7.0}) {
            const Point tip = at(x, 1.7);
            image.set(static_cast<int>(tip.x), static_cast<int>(tip.y), palette::tooth);
        }
    }
    const Rgb eye = pose.dim ? palette::ink : palette::crawlerEye;
    for (Point p : {at(1.2, -1.5), at(3.6, -1.1)}) {
        image.set(static_cast<int>(p.x), static_cast<int>(p.y), eye);
        image.set(static_cast<int>(p.x) + 1, static_cast<int>(p.y),
                  pose.dim ? palette::ink : palette::tooth);
    }
}

Image flippedOver(const Image& upright) {
    // Upside down, then dropped so that the lowest pixel rests on the bottom edge.
    Image turned(upright.width(), upright.height());
    int lowest = 0;
    for (int y = 0; y < upright.height(); ++y) {
        for (int x = 0; x < upright.width(); ++x) {
            if (upright.opaque(x, upright.height() - 1 - y)) {
                lowest = std::max(lowest, y);
            }
        }
    }
    const int drop = upright.height() - 1 - lowest;
    for (int y = 0; y < upright.height(); ++y) {
        for (int x = 0; x < upright.width(); ++x) {
            if (upright.opaque(x, upright.height() - 1 - y)) {
                turned.set(x, y + drop, upright.at(x, upright.height() - 1 - y));
            }
        }
    }
    return turned;
}

Image drawCrawler(const CrawlerPose& pose) {
    Image image(frameWidth, frameHeight);
    LightFromRight mirroredLater;
    const Body b = placeBody(pose);
    for (Leg leg : {FarBack, FarFront}) {
        drawLimb(image, hipOf(b, leg), footOf(b, pose, leg), leg == FarFront, farSide, pose.splay);
    }
    drawTail(image, b);
    drawTorso(image, b);
    drawHead(image, b, pose);
    for (Leg leg : {NearBack, NearFront}) {
        drawLimb(image, hipOf(b, leg), footOf(b, pose, leg), leg == NearFront, 1.0, pose.splay);
    }
    if (pose.curled) {
        image = flippedOver(image);
    }
    return image.mirrored();
}

// One of the three creeping steps: diagonal pairs of limbs move together.
CrawlerPose creep(double phase) {
    CrawlerPose pose;
    const double stride = 2.6;
    for (Leg leg : {FarFront, FarBack, NearFront, NearBack}) {
        const bool firstPair = leg == NearFront || leg == FarBack;
        const double a = 2 * pi * (phase + (firstPair ? 0.0 : 0.5));
        pose.step[leg] = stride * std::cos(a);
        pose.raise[leg] = std::max(0.0, std::sin(a)) * 2.5;
    }
    pose.sink = 0.6 * std::sin(4 * pi * phase);
    pose.pitch = 2 * std::sin(2 * pi * phase);
    return pose;
}

Picture crawlerPicture(const std::string& name, const CrawlerPose& pose) {
    return {name, drawCrawler(pose), spriteKey};
}

} // namespace

void addCrawlerPictures(std::vector<Picture>& pictures) {
    pictures.push_back(crawlerPicture("crawler_mywalk0", creep(0.0)));
    pictures.push_back(crawlerPicture("crawler_idle0", creep(1.0 / 3)));
    pictures.push_back(crawlerPicture("crawler_mywalk2", creep(2.0 / 3)));
    CrawlerPose crouch;
    crouch.sink = 2;
    crouch.pitch = -5;
    crouch.jaw = 14;
    pictures.push_back(crawlerPicture("crawler_run_start", crouch));

    // The attack: coil, lunge with jaws wide (frames 1 and 3 bite), snap shut, recover.
    CrawlerPose coil;
    coil.forward = -3;
    coil.sink = 1.5;
    coil.pitch = -6;
    coil.jaw = 4;
    pictures.push_back(crawlerPicture("crawler_run0", coil));
    CrawlerPose bite;
    bite.forward = 3;
    bite.sink = -1;
    bite.pitch = 10;
    bite.jaw = 42;
    bite.step[NearFront] = 3;
    bite.raise[NearFront] = 5;
    pictures.push_back(crawlerPicture("crawler_run1", bite));
    CrawlerPose snap;
    snap.forward = 1.5;
    snap.pitch = 2;
    snap.jaw = 2;
    pictures.push_back(crawlerPicture("crawler_run2", snap));
    CrawlerPose lunge;
    lunge.forward = 4;
    lunge.sink = -1.5;
    lunge.pitch = 14;
    lunge.jaw = 46;
    lunge.step[FarFront] = 4;
    lunge.raise[FarFront] = 7;
    lunge.step[NearFront] = 4;
    lunge.raise[NearFront] = 3;
    pictures.push_back(crawlerPicture("crawler_run3", lunge));
    CrawlerPose settle;
    settle.jaw = 10;
    settle.pitch = 1;
    pictures.push_back(crawlerPicture("crawler_run4", settle));

    // Dying: rears up shrieking, collapses flat, rolls onto its back with limbs curled.
    CrawlerPose rear;
    rear.pitch = 22;
    rear.jaw = 40;
    rear.forward = -2;
    rear.splay = 0.4;
    pictures.push_back(crawlerPicture("crawler_die0", rear));
    CrawlerPose flat;
    flat.sink = 6;
    flat.pitch = -6;
    flat.jaw = 20;
    flat.splay = 1.0;
    flat.dim = true;
    pictures.push_back(crawlerPicture("crawler_die1", flat));
    CrawlerPose belly;
    belly.sink = 2;
    belly.jaw = 24;
    belly.dim = true;
    belly.curled = true;
    pictures.push_back(crawlerPicture("crawler_die2", belly));
}

} // namespace art
