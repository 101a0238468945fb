// monster: the body every enemy shares: pursuit, crowding, movement and the scrolled draw.
#pragma once

#include "pieces/game_piece.h"

// An enemy. Its position is in world coordinates (add the World's getScroll for the screen);
// its motion's vx and vy are velocities in pixels per second. It reaches the World (slot 0) and
// the hero (slot 1) only through the piece table. Built out of play by its kind, released by the
// frame loop with setPosition and activate, and driven by one update per frame from then on.
class monster : public GamePiece {
  public:
    // The animation numbers every enemy table follows; the current one is the enemy's state.
    static constexpr int walkAnimation = 0;
    static constexpr int idleAnimation = 1; // built, never selected
    static constexpr int dieAnimation = 2;
    static constexpr int attackAnimation = 3;
    // The frame of the die animation whose step takes the enemy out of play. The step past a
    // kind's last frame wraps to frame 0 instead, so a kind whose die animation has fewer frames
    // than this dies forever and never leaves play: every kind's has at least this many.
    static constexpr int deathEndFrame = 6;

    // Resets the piece and builds the monster's own table (the kinds replace it with theirs).
    monster();

    // Builds the monster's own table and selects the walk. Returns true.
    bool load() override;
    // Blits the current frame at the scrolled position, never mirrored (facing is ignored).
    void draw() override;
    // The movement step, after separate: moves by velocity times the time since the end of the
    // last frame unless touching the hero on screen, then keeps y inside the street band.
    // Returns false.
    bool think() override;
    // Once per frame while in play: chase and think unless dying, then animate and draw.
    void update() override;
    // Steps the frame at the animation pace and wraps to 0 at the end of the animation.
    void animate() override;
    // Enemies take no input.
    void handleInput() override;

    // Steers toward the hero: vx = +-speed by screen x; vy = +-speed by y, but only while the hero
    // is near horizontally; attack when close, walk otherwise.
    // Called by update before think.
    virtual void chase();
    // Pushes this enemy away from every other enemy in play (slots 2 to the newest released),
    // per axis: a neighbour closer than the crowding distance moves it by a share of the
    // difference. Each push takes effect at once, in increasing slot order. Called by think.
    virtual void separate();

  protected:
    // Starts the die animation, keeping the frame index: the death runs on from where it was.
    void startDying();
    // The kinds' animation step. When a step is due: strikes the World's health by `damage` if
    // the enemy is attacking on a strike frame (`onStrikeFrame`, judged on the frame before the
    // step) and the hero is not in the air; then steps the frame, and takes the enemy out of play
    // when its death reaches deathEndFrame, counting it in completedCount.
    void animateAndStrike(bool onStrikeFrame, double damage);

  private:
    // Screen position: the world position moved by the World's scroll.
    Vec2 screenPosition();
    // Straight-line screen distance to the hero.
    double distanceToHero();
};
