// The three ways to build a Motion.
#include "pieces/motion.h"

#include <algorithm>

namespace {

constexpr int slowestSpeed = 1;

} // namespace

Motion::Motion() : vx(0.0), vy(0.0), speed(1.0), topSpeed(2.0) {}

Motion::Motion(int speed, int topSpeed) : Motion(0, 0, speed, topSpeed) {}

Motion::Motion(int vx, int vy, int speed, int topSpeed)
    : vx(vx), vy(vy), speed(std::max(speed, slowestSpeed)),
      topSpeed(std::max<double>(topSpeed, this->speed)) {}
