// A pad's controls, whatever reads them: where a layout puts them, and the key events they push.
#pragma once

#include <SDL/SDL.h>

namespace platform {

// The key each of the pad's controls stands for; the shell's table of controls says which.
struct PadKeys {
    SDLKey left, right, up, down; // the d-pad and the left stick
    SDLKey sword;                 // A (south)
    SDLKey jump;                  // B (east)
    SDLKey start;                 // Start
};

// A button a layout does not have.
inline constexpr int noPadButton = -1;

// Where a pad's controls are: the buttons of the sword, the jump and Start, and the d-pad's
// buttons where it has them instead of a hat.
struct PadLayout {
    int sword;
    int jump;
    int start;
    int dpadLeft;
    int dpadRight;
    int dpadUp;
    int dpadDown;
};

// A pad as it reports itself: south ("A") and east ("B") first, Start where most twin-stick pads
// put it, and no d-pad buttons (a hat or the stick steers).
inline constexpr PadLayout rawPadLayout{.sword = 0,
                                        .jump = 1,
                                        .start = 7,
                                        .dpadLeft = noPadButton,
                                        .dpadRight = noPadButton,
                                        .dpadUp = noPadButton,
                                        .dpadDown = noPadButton};

// The pad's controls, each standing for one key.
enum PadControl { padLeft, padRight, padUp, padDown, padSword, padJump, padStart, padControlCount };

using PadPressed = bool[padControlCount];

// The stick, as a share of its travel from -1 to 1 on each axis, and the directions the hat holds
// (none for a pad without one).
struct PadDirections {
    double stickX;
    double stickY;
    bool hatLeft = false;
    bool hatRight = false;
    bool hatUp = false;
    bool hatDown = false;
};

// Which controls are held in one reading: `button(index)` tells whether the layout's button at
// `index` is down (it is never asked of noPadButton). A stick direction counts once the stick is
// past its dead zone.
template <class ButtonDown>
void readPadControls(const PadLayout& layout, ButtonDown button, const PadDirections& directions,
                     PadPressed& pressed);

// The keys the controls stand for, and what each was at the last reading.
class PadKeyEvents {
  public:
    void standFor(const PadKeys& keys);
    // Pushes a key event onto SDL's queue for every control whose state differs from the last.
    void pushChanges(const PadPressed& pressed);
    // Pushes the release of every held control, so that no key stays down.
    void letGoOfAll();
    // Forgets what was held, pushing nothing (the pad is closed with the game's keys reset).
    void forget();

  private:
    SDLKey keyFor_[padControlCount] = {};
    PadPressed wasPressed_ = {};
};

namespace detail {
// A third of the stick's travel: inside it the stick counts as centred.
inline constexpr double padDeadZone = 1.0 / 3.0;
inline bool held(int index, auto button) {
    return index != noPadButton && button(index);
}
} // namespace detail

template <class ButtonDown>
void readPadControls(const PadLayout& layout, ButtonDown button, const PadDirections& directions,
                     PadPressed& pressed) {
    using detail::held;
    using detail::padDeadZone;
    pressed[padLeft] =
        directions.hatLeft || held(layout.dpadLeft, button) || directions.stickX < -padDeadZone;
    pressed[padRight] =
        directions.hatRight || held(layout.dpadRight, button) || directions.stickX > padDeadZone;
    pressed[padUp] =
        directions.hatUp || held(layout.dpadUp, button) || directions.stickY < -padDeadZone;
    pressed[padDown] =
        directions.hatDown || held(layout.dpadDown, button) || directions.stickY > padDeadZone;
    pressed[padSword] = held(layout.sword, button);
    pressed[padJump] = held(layout.jump, button);
    pressed[padStart] = held(layout.start, button);
}

} // namespace platform
