// A piece's velocity and speed.
#pragma once

struct Motion {
    double vx;       // pixels added to position.x (per frame for the hero, per second for enemies)
    double vy;       // the same for position.y
    double speed;    // run or walk speed, pixels per second; has a floor when built from integers
    double topSpeed; // a second bound kept with the speed; no rule of the game reads it

    // At rest with the slowest speed and a top speed above it.
    Motion();
    // At rest: speed = runSpeed raised to the slowest speed, topSpeed = highestSpeed raised to
    // at least speed.
    Motion(int runSpeed, int highestSpeed);
    // Moving by (dx, dy), with speed and topSpeed bounded as above.
    Motion(int dx, int dy, int runSpeed, int highestSpeed);
};
