// player: the hero the keyboard steers, with its animations, sword, jump and death.
#pragma once

#include "pieces/game_piece.h"

#include <functional>

// Where the hero's sounds go. The game sends them to the sound engine; tests install recorders
// so that they can see what was asked for without an audio device.
struct HeroSounds {
    // Plays a sample by category and name (SoundEngine::playEffect).
    std::function<void(const char* category, const char* name, int rearm)> playEffect;
    // Starts the game-over sequence on a thread of its own; it ends the process.
    std::function<void()> startGameOver;
};

// The hooks in use; both start out pointing at the sound engine.
HeroSounds& heroSounds();

// Points both hooks back at the sound engine.
void restoreHeroSounds();

// The hero lives in slot 1 of the piece table, in screen coordinates: x stays inside a
// horizontal band (the World scrolls instead), the feet inside the street band. Its state is
// `animation`, one of the values below. Its health and ammo are the World's. Every operation runs
// on the game thread.
class player : public GamePiece {
  public:
    static constexpr int runAnimation = 0;
    static constexpr int idleAnimation = 1;
    static constexpr int jumpStartAnimation = 2;
    static constexpr int jumpUpAnimation = 3;
    static constexpr int jumpTopAnimation = 4;
    static constexpr int jumpDownAnimation = 5;
    static constexpr int landingAnimation = 6;
    static constexpr int unusedIdleAnimation = 7; // built, never selected
    static constexpr int swordAnimation = 8;
    static constexpr int dyingAnimation = 9;
    static constexpr int unusedShotAnimation = 10; // built, never selected

    // The hero's two facings: its pictures face right as loaded.
    static constexpr int facingRight = facingAsLoaded;
    static constexpr int facingLeft = facingMirrored;

    // Builds the hero's table from the sprite catalogue (which must be loaded), idle at `start`
    // (screen coordinates), facing right, on the ground, with the slowest run speed until the
    // first input step.
    explicit player(Vec2 start);

    // Prints "Loading Player" and binds the eleven animations. Called once, by the constructor.
    // Returns true.
    bool load() override;
    // Shows the dying animation. The first call of the run also starts the game-over sequence;
    // later ones (the World repeats the call at every meter step once health is spent) only keep
    // the hero dying.
    void kill() override;
    // After the input step and the position step: the jump arc and its phase, the sword's strike
    // on the enemies in play (on the swing's striking frames), scrolling the World when the hero
    // leaves its horizontal band, and the street band for the feet. Returns false.
    bool think() override;
    // The animation step, at the animation pace: runs loop past their opening frame, a finished
    // swing prints the score and survival time and returns to idle, and the console is cleared.
    void animate() override;
    // Turns the frame's event into this frame's displacement (motion.vx, motion.vy in pixels,
    // scaled by the time since the last frame ended), facing, a jump, a swing, the position
    // report or the end of the run; then picks idle or run. Ignores everything while swinging
    // or dying.
    void handleInput() override;

    // True once the hero has died: its game-over sequence is under way.
    bool hasDied() const { return gameOverStarted; }

    bool jumping;         // a jump is in progress
    Uint32 jumpStartTick; // when the current jump began, in ms

  private:
    // The jump arc: lift and animation from the time since the jump began, and the touchdown.
    void followJumpArc();
    // Kills every live enemy within the sword's reach in front of the hero.
    void strikeWithSword();
    // Takes back a move past the horizontal band and scrolls the World instead.
    void keepInHorizontalBand();
    // Keeps the feet on the street.
    void keepInVerticalBand();
    // Acts on a key-down of the frame's event; `frameTime` is the time since the last frame
    // ended, in ms.
    void pressKey(SDLKey key, double frameTime);
    // Acts on a key-up of the frame's event.
    void releaseKey(SDLKey key);
    // Sets the run speed from the keypad plus and minus keys (no lasting effect).
    void adjustSpeed(SDLKey key, double frameTime);
    // The World's offset from world to screen coordinates; (0, 0) without a World.
    static Vec2 worldScroll();
    // Prints the hero's position on the screen and in the world.
    void reportPosition();
    // Prints the score and the survival time at the end of a swing.
    void reportSwing();

    bool gameOverStarted; // the game-over sequence runs already
};
