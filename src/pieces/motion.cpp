// The three ways to build a Motion.
#include "pieces/motion.h"

#include <algorithm>

namespace {

constexpr int slowestSpeed = 1;

} // namespace

Motion::Motion() : vx(0.0), vy(0.0), speed(1.0), topSpeed(2.0) {}

Motion::Motion(int runSpeed, int highestSpeed) : Motion(0, 0, runSpeed, highestSpeed) {}

Motion::Motion(int dx, int dy, int runSpeed, int highestSpeed)
    : vx(dx), vy(dy), speed(std::max(runSpeed, slowestSpeed)),
      topSpeed(std::max<double>(highestSpeed, speed)) {}
