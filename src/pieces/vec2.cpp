// Point arithmetic shared by every piece.
#include "pieces/vec2.h"

#include "pieces/motion.h"

#include <cmath>

Vec2 Vec2::operator+(const Motion& motion) const {
    return {x + motion.vx, y + motion.vy};
}

double distance(const Vec2& a, const Vec2& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}
