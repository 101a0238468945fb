// GamePiece: the base of every object in the piece table, and the whole protocol between the
// frame loop and the pieces.
#pragma once

#include "pieces/animation.h"
#include "pieces/motion.h"
#include "pieces/vec2.h"

#include <SDL/SDL.h>

#include <initializer_list>
#include <vector>

// Values of `facing`: how draw mirrors the current frame.
constexpr int facingAsLoaded = 0;
constexpr int facingMirrored = 1; // left to right; the hero facing left
constexpr int facingUpsideDown = 2;
constexpr int facingTurned = 3; // both: half a turn

// Every piece is built once at start-up, lives in the piece table until the end of the run and
// is driven only through these virtual operations, all on the game thread. Positions are in
// pixels (x = left edge of the drawn frame, y = its bottom edge), times are platform::ticks()
// readings in milliseconds. Derived classes override what they do differently; the defaults
// here are complete for a piece that only animates and draws.
class GamePiece {
  public:
    // Places the piece at (0, 0), resets every field and runs the (empty) base load. Derived
    // constructors then build their own animation table with their own load.
    GamePiece();
    // Pieces are destroyed through GamePiece pointers at the end of the run.
    virtual ~GamePiece() = default;

    GamePiece(const GamePiece&) = delete;
    GamePiece& operator=(const GamePiece&) = delete;

    // Binds frame `frameIndex` of animation `animationIndex` to sprite catalogue entry
    // `spriteIndex` (which may be an empty entry). Called by load. Returns false, storing nothing,
    // when an argument is -1 or the place lies outside the animation table.
    virtual bool setFrame(int animationIndex, int frameIndex, int spriteIndex);
    // Builds the animation table from the sprite catalogue; called once, by the constructor of
    // the class that overrides it. The base does nothing. Returns true.
    virtual bool load();
    // Puts every field back to its starting value and forgets the animation table.
    virtual void reset();
    // Takes the piece out of play (sets `dead`). Called by the hero's sword and the World.
    virtual void kill();
    // Brings the piece into play; the frame loop calls it when it releases an enemy.
    virtual void activate();
    // True while the piece is in play.
    virtual bool isAlive();
    // Blits the current frame onto the screen, standing on `position` raised by `lift`, mirrored
    // as `facing` says. A mirrored copy is made for the blit and freed right after it.
    virtual void draw();
    // Per-frame behaviour after the position step. The base does nothing; returns false.
    virtual bool think();
    // Once per frame from the frame loop while in play: handleInput, the position step (adds
    // motion.vx and motion.vy to position), think, animate, draw; nothing after handleInput when
    // that input ended the run at once (quitAtOnce).
    virtual void update();
    // Sets motion.speed in pixels per second; the roster calls it once per enemy.
    virtual void setSpeed(double speed);
    // Adds sign * amount to the piece's health, for the pieces that keep one. The base has none.
    virtual void changeHealth(double amount, int sign);
    // Steps the current animation when an animation step is due: frame 0
    // is shown only when an animation starts; it then loops over frames 1 to count - 1.
    virtual void animate();
    // Moves position by the motion's vx and vy (pixels); speed and topSpeed are ignored.
    virtual void moveBy(Motion by);
    // Moves the piece to `to` and returns its new position.
    virtual Vec2 setPosition(Vec2 to);
    // The background shown; only the World has one. The base returns 0.
    virtual int getScene();
    // The offset from world to screen coordinates; only the World has one. The base gives (0, 0).
    virtual Vec2 getScroll();
    // Reacts to the frame's input event (frameEvent). The base does nothing.
    virtual void handleInput();

    int animationCount;                // number of animations in the table
    std::vector<Animation> animations; // the animation table, owned; its pictures are not
    std::vector<int> frameCounts;      // frame count of each animation
    int animation;                     // current animation; for hero and enemies, their state
    int frame;                         // current frame; draw brings it back to 0 past the end
    double jumpHeight;                 // amplitude of the jump arc (hero only)
    int facing;                        // one of the facing values above
    Uint32 lastFrameTick;              // time of the last animation step
    bool dead;                         // out of play: update does nothing
    double lift;                       // vertical draw offset; negative is up (the jump arc)
    Vec2 position;                     // x = left edge, y = feet
    Motion motion;                     // velocity and speed

  protected:
    // Starts a load: one animation per count, each with room for exactly that many frames.
    void buildAnimationTable(std::initializer_list<int> counts);
    // Binds frames 0, 1, 2, ... of `animationIndex` to the given catalogue entries in order.
    void bindFrames(int animationIndex, std::initializer_list<int> spriteIndices);
    // The current frame's picture, after bringing an out-of-range frame back to 0.
    SDL_Surface* currentPicture();
    // True when the animation period has passed since the last animation step; the step is then
    // taken now (lastFrameTick moves on). Animation speed thus follows the clock, not the frame
    // rate.
    bool animationStepDue();
    // Moves to the next frame of the current animation, never past its frame count.
    void advanceFrame();
    // Blits `picture` with its top-left corner at the truncated screen position (x, y).
    static void blitAt(SDL_Surface* picture, double x, double y);
    // The blit destination for a top-left corner at the screen position (x, y): each coordinate
    // truncated toward zero and taken as a 16-bit screen coordinate.
    static SDL_Rect destinationAt(double x, double y);
};
