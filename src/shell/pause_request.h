// The request to pause, noted by the frame's event poll (the keys: the shell's table of controls);
// the run pauses after the frame.
#pragma once

void requestPause();
bool pauseRequested();
void clearPauseRequest();
