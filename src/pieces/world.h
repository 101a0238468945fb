// World: the scrolling background, the camera, and the status bar with the health and ammo meters.
#pragma once

#include "pieces/game_piece.h"

// The scene in slot 0 of the piece table, updated first in every frame so everything else is
// drawn over it. It keeps the hero's health and the ammo level (fractions, 1.0 = full), lets both
// recover, and kills the hero when the health runs out. It is also the camera: `position` is the
// screen position of the background's top-left corner, moved by the hero through moveBy, and
// getScroll gives the other pieces the offset from world to screen coordinates.
class World : public GamePiece {
  public:
    // Builds the table from the sprite catalogue (which must be loaded) and places the
    // background's top-left corner at `corner`, with full health and ammo.
    explicit World(Vec2 corner);

    // Binds the backgrounds, the bar and the two meters, and reads the meters' full widths.
    // Called once, by the constructor. Returns true.
    bool load() override;
    // Draws the background shown, the status bar, and each meter cut to its fraction.
    void draw() override;
    // Adds sign * amount to the health, unbounded; the meter step brings it back into range.
    // Enemies call it with sign -1 when their strike lands.
    void changeHealth(double amount, int sign) override;
    // The meter step, at the animation pace: health and ammo recover, a spent health stays 0
    // and kills the hero (slot 1) at every step from then on.
    void animate() override;
    // Scrolls the background by the motion's vx and vy (pixels). `scroll` keeps the unclamped
    // result; `position` is then clamped so the background always covers the window.
    void moveBy(Motion by) override;
    // The background shown: 0 the city, 1 the underground.
    int getScene() override;
    // The offset from world to screen coordinates: the background position after the last
    // moveBy, taken before the clamp.
    Vec2 getScroll() override;
    // The background keys of the frame's event: 1 shows the city, 2 the underground.
    void handleInput() override;
    // Adds sign * amount to the ammo level, unbounded. Nothing in the game calls it yet.
    virtual void changeAmmo(double amount, int sign);

    int healthBarWidth; // full width in pixels of the health meter picture
    int ammoBarWidth;   // full width in pixels of the ammo meter picture
    double health;      // the hero's health: 1.0 full, 0 dead
    double ammo;        // the ammo level: 1.0 full
    Vec2 scroll;        // the background position after the last moveBy, before the clamp

  private:
    // Width of the background shown (0 while its picture is missing).
    int backgroundWidth();
    // Keeps the background's right edge at or right of the window's edge.
    void keepRightEdgeCovered();
};
