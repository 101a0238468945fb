// Turning poses into joint positions.
#include "art/figure.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

namespace {

constexpr double squareFoot = 1000;

struct Extent {
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    void include(Point p, double radius) {
        left = std::min(left, p.x - radius);
        right = std::max(right, p.x + radius);
        top = std::min(top, p.y - radius);
        bottom = std::max(bottom, p.y + radius);
    }
};

void moveAll(Skeleton& s, Point by) {
    for (Point* p : {&s.hip, &s.neck, &s.shoulder, &s.head}) {
        *p = *p + by;
    }
    for (int i = 0; i < 2; ++i) {
        for (Point* p : {&s.elbow[i], &s.hand[i], &s.knee[i], &s.ankle[i], &s.toe[i]}) {
            *p = *p + by;
        }
    }
}

void turnAll(Skeleton& s, Point pivot, double degrees) {
    for (Point* p : {&s.hip, &s.neck, &s.shoulder, &s.head}) {
        *p = rotated(*p, pivot, degrees);
    }
    for (int i = 0; i < 2; ++i) {
        for (Point* p : {&s.elbow[i], &s.hand[i], &s.knee[i], &s.ankle[i], &s.toe[i]}) {
            *p = rotated(*p, pivot, degrees);
        }
    }
}

} // namespace

Skeleton buildSkeleton(const Proportions& body, const Pose& pose, int frameWidth, int frameHeight) {
    Skeleton s;
    const Point up = direction(180 - pose.lean);
    s.hip = {0, 0};
    s.neck = s.hip + up * body.torso;
    s.shoulder = s.neck - up * body.shoulderDrop;
    s.head = s.neck + direction(180 - pose.lean - pose.headTilt) * (body.neck + body.headRadius);
    const Limb* arms[2] = {&pose.farArm, &pose.nearArm};
    const Limb* legs[2] = {&pose.farLeg, &pose.nearLeg};
    const double feet[2] = {pose.farFoot, pose.nearFoot};
    for (int i = 0; i < 2; ++i) {
        s.elbow[i] = s.shoulder + direction(arms[i]->upper) * body.upperArm;
        s.hand[i] = s.elbow[i] + direction(arms[i]->lower) * body.foreArm;
        s.knee[i] = s.hip + direction(legs[i]->upper) * body.thigh;
        s.ankle[i] = s.knee[i] + direction(legs[i]->lower) * body.shin;
        const double foot = feet[i] == squareFoot ? legs[i]->lower + 90 : feet[i];
        s.toe[i] = s.ankle[i] + direction(foot) * body.foot;
    }
    if (pose.turn != 0) {
        turnAll(s, s.hip, pose.turn);
    }
    s.lean = pose.lean + pose.turn;
    s.weapon = pose.weapon + pose.turn;
    s.turn = pose.turn;

    Extent extent;
    extent.include(s.head, body.headRadius);
    extent.include(s.neck, body.armRadius);
    extent.include(s.hip, body.legRadius);
    for (int i = 0; i < 2; ++i) {
        for (Point p : {s.elbow[i], s.hand[i]}) {
            extent.include(p, body.armRadius);
        }
        for (Point p : {s.knee[i], s.ankle[i], s.toe[i]}) {
            extent.include(p, body.legRadius * 0.75);
        }
    }
    const double standingHip = body.thigh + body.shin + body.legRadius * 0.75;
    double dx = frameWidth / 2.0 - s.hip.x;
    if (pose.anchor == Anchor::Bounds) {
        dx = frameWidth / 2.0 - (extent.left + extent.right) / 2.0;
    }
    double dy = frameHeight - standingHip - pose.lift - s.hip.y;
    if (pose.grounded) {
        dy = frameHeight - extent.bottom;
    }
    moveAll(s, {std::round(dx + pose.shift), std::round(dy)});
    return s;
}

Point middleJoint(Point root, Point end, double a, double b, Point bend) {
    const Point d = end - root;
    double distance = std::sqrt(d.x * d.x + d.y * d.y);
    distance = std::clamp(distance, std::abs(a - b) + 0.01, a + b - 0.01);
    const Point unit = d * (1.0 / std::max(1e-9, std::sqrt(d.x * d.x + d.y * d.y)));
    const double along = (a * a - b * b + distance * distance) / (2 * distance);
    const double out = std::sqrt(std::max(0.0, a * a - along * along));
    Point normal{-unit.y, unit.x};
    if (normal.x * bend.x + normal.y * bend.y < 0) {
        normal = normal * -1.0;
    }
    return root + unit * along + normal * out;
}

Ramp shaded(const Ramp& ramp, double factor) {
    return {ramp.outline, scale(ramp.shadow, factor), scale(ramp.base, factor),
            scale(ramp.light, factor)};
}

} // namespace art
