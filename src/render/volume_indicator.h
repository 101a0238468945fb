// The volume indicator: the new level in the game's lettering, in the screen's top right corner.
#pragma once

// Draws "VOLUME <percent>%", or "MUTED". Allocates nothing.
void drawVolumeIndicator(int percent, bool muted);
