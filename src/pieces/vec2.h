// A point or offset on the screen or in the world, in pixels.
#pragma once

struct Motion;

struct Vec2 {
    double x = 0.0;
    double y = 0.0;

    Vec2() = default;
    Vec2(double across, double down) : x(across), y(down) {}

    Vec2 operator+(const Vec2& other) const { return {x + other.x, y + other.y}; }
    // Moves the point by a motion's velocity (vx, vy); speed and topSpeed play no part.
    Vec2 operator+(const Motion& motion) const;
};

// Straight-line distance between two points.
double distance(const Vec2& a, const Vec2& b);
