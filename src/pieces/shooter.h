// shooter: the hardest-hitting enemy; strikes on the first frame of its attack.
#pragma once

#include "pieces/monster.h"

// The hardest-hitting enemy. It fires nothing: like the others it hurts the hero only at close
// range, when its attack starts, for a larger share of full health than the others.
class shooter : public monster {
  public:
    // Built out of play (dead) at `start`, walking, with its own pictures; the frame loop releases
    // it with setPosition and activate.
    explicit shooter(Vec2 start);

    // Builds the shooter's animation table from the sprite catalogue. Returns true.
    bool load() override;
    // Called by the hero's sword: starts the die animation from the current frame index. On an
    // enemy already dying it changes nothing.
    void kill() override;
    // Steps the frame at the animation pace, striking the World's health from the attack frames
    // while the hero is on the ground; the step that ends the death takes the enemy out of play.
    void animate() override;
};
