// What the game asks of the compatibility layer that runs its SDL 1.2 on SDL 2.
#pragma once

namespace platform {

// The layer reads each of its settings from an environment variable as SDL starts; each field
// here stands for one of them.
struct CompatibilityHints {
    // Present every pad that SDL's controller database knows in one standard layout (A, B,
    // Start and the d-pad on the same buttons whatever the make), instead of the pad's own
    // raw button numbers.
    bool standardPadLayout = true;
    // Above 1: show the window this many times the video mode, its pixels kept sharp. At 1 the
    // layer is asked nothing about scaling.
    int windowScale = 1;
};

// The layer's variable for the standard pad layout.
constexpr const char* standardPadLayoutVariable = "SDL12COMPAT_USE_GAME_CONTROLLERS";

// Sets the variable of each hint asked for, unless the player has set that variable already:
// the player's own value always wins. Call before SDL starts.
void setCompatibilityHints(const CompatibilityHints& hints = {});

// Whether the layer presents known pads in the standard layout, read as the layer reads its
// variable when SDL's joystick subsystem starts. While it does, it lists no other pad.
bool standardPadLayoutAsked();

} // namespace platform
