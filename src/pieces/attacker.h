// attacker: the fast swordsman; strikes on the first frame of its swing.
#pragma once

#include "pieces/monster.h"

// The fast swordsman. Strikes when its swing starts, for a small share of full health.
class attacker : public monster {
  public:
    // Built out of play (dead) at `start`, walking, with its own pictures; the frame loop releases
    // it with setPosition and activate.
    explicit attacker(Vec2 start);

    // Builds the attacker's animation table from the sprite catalogue. Returns true.
    bool load() override;
    // Called by the hero's sword: starts the die animation from the current frame index. On an
    // enemy already dying it changes nothing.
    void kill() override;
    // Steps the frame at the animation pace, striking the World's health from the attack frames
    // while the hero is on the ground; the step that ends the death takes the enemy out of play.
    void animate() override;
};
