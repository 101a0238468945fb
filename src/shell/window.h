// The game's one window: SDL's start and the video mode, and the switch to the whole screen.
#pragma once

// Starts SDL, opens the window (as the whole screen when `fullscreen`) into `screen` and the
// first gamepad, and from then on ends the process when the display is lost. A `scale` above 1
// asks SDL's compatibility layer, before SDL starts, to show the window that many times its size
// with sharp pixels, unless the player's environment already says how to scale; the game still
// draws its picture at its own size. A media-library failure, or no display that anybody could
// see, prints a message on standard error and returns false: the run ends with status 1. Whoever
// opens the window stops SDL (SDL_Quit) when the run ends, however it ends.
bool openWindow(bool fullscreen, int scale = 1);

// Whether the window is on the whole screen now.
bool isFullscreen();

// Switches between the window and the whole screen. The picture keeps its 4:3 shape on any
// screen: SDL scales it whole and fills the rest of a wider screen with black.
void toggleFullscreen();
