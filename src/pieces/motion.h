// A piece's velocity and speed.
#pragma once

struct Motion {
    double vx;       // pixels added to position.x (per frame for the hero, per second for enemies)
    double vy;       // the same for position.y
    double speed;    // run or walk speed, pixels per second; never below 1 when built from integers
    double topSpeed; // a second bound kept with the speed; no rule of the game reads it

    // At rest with speed 1 and topSpeed 2.
    Motion();
    // At rest: speed = max(speed, 1), topSpeed = max(topSpeed, speed).
    Motion(int speed, int topSpeed);
    // Moving by (vx, vy), with speed and topSpeed bounded as above.
    Motion(int vx, int vy, int speed, int topSpeed);
};
