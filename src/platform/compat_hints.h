// Hints to SDL's 1.2 compatibility layer, given through the environment before SDL starts.
#pragma once

namespace platform {

struct CompatibilityHints {
    int windowScale = 1; // above 1: the window this many times the video mode, pixels kept sharp
};

// Sets the hints `hints` asks for, each only where the player's environment does not already
// set it: the player's own choice always wins. Before SDL starts.
void setCompatibilityHints(const CompatibilityHints& hints);

} // namespace platform
