// crawler: the slow enemy; strikes twice in its five-frame attack.
#pragma once

#include "pieces/monster.h"

// The slow enemy. Strikes twice in each round of its attack, for a small share of full health
// each time.
class crawler : public monster {
  public:
    // Built out of play (dead) at `start`, walking, with its own pictures; the frame loop releases
    // it with setPosition and activate.
    explicit crawler(Vec2 start);

    // Builds the crawler's animation table from the sprite catalogue. Returns true.
    bool load() override;
    // Called by the hero's sword: starts the die animation from the current frame index. On an
    // enemy already dying it changes nothing.
    void kill() override;
    // Steps the frame at the animation pace, striking the World's health from the attack frames
    // while the hero is on the ground; the step that ends the death takes the enemy out of play.
    void animate() override;
};
