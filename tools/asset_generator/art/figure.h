// Jointed two-legged figures: a pose of limb angles turned into joint positions in a frame.
#pragma once

#include "art/raster.h"

namespace art {

// Segment lengths and thicknesses of a body, in picture pixels.
struct Proportions {
    double thigh, shin, foot;
    double upperArm, foreArm;
    double torso, neck, headRadius, shoulderDrop;
    double legRadius, armRadius;
};

// Two angles of a limb, both absolute (see direction()): upper segment, then lower segment.
struct Limb {
    double upper = 0, lower = 0;
};

enum class Anchor {
    Hip,    // the hip on the frame's vertical centre line: standing and moving frames
    Bounds, // the whole figure centred: lying and tumbling frames
};

struct Pose {
    double lean = 0;     // torso angle from upright; positive leans forward
    double headTilt = 0; // head angle added to the lean; positive nods forward
    Limb nearArm, farArm, nearLeg, farLeg;
    double nearFoot = 1000, farFoot = 1000; // foot angles; 1000 = square to the shin
    double turn = 0;                        // whole body turned about the hip (falls)
    double weapon = 90;                     // angle of the held weapon, before the body turn
    bool grounded = true;                   // lowest point rests on the frame's bottom edge
    double lift = 0; // airborne frames: hip raised this far above its standing height
    Anchor anchor = Anchor::Hip;
    double shift = 0; // extra horizontal offset after anchoring
};

// Joint positions in frame pixels. Index 0 is the far limb, 1 the near limb.
struct Skeleton {
    Point hip, neck, shoulder, head;
    Point elbow[2], hand[2], knee[2], ankle[2], toe[2];
    double lean = 0;   // torso angle after the body turn
    double weapon = 0; // weapon angle after the body turn
    double turn = 0;
};

Skeleton buildSkeleton(const Proportions& body, const Pose& pose, int frameWidth, int frameHeight);

// The middle joint of a two-segment limb from `root` to `end` with segment lengths a and b,
// bent to the side `bend` points to (the end is pulled in when the limb cannot reach).
Point middleJoint(Point root, Point end, double a, double b, Point bend);

// A darker copy of a ramp for limbs on the far side of the body.
Ramp shaded(const Ramp& ramp, double factor);

} // namespace art
