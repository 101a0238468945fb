// What the process meets from outside while it plays: signals to end, a console that goes away,
// a disk that stops taking the recording.
#pragma once

namespace platform {

// Once, before anything of the run is opened:
// - a closed standard input, output or error gets /dev/null, so no file the game opens later
//   (a recording) takes its number and receives the console's lines;
// - writes to a console or pipe that went away fail instead of ending the process (SIGPIPE), and
//   so do writes past the file-size limit (SIGXFSZ): the game drops them and plays on;
// - SIGINT, SIGTERM and SIGHUP ask the run to end (endRequested); a second one while the first
//   is being handled ends the process at once, by that signal.
void guardProcess();

// True once one of the signals above has arrived. The frame loop ends the run at its next frame,
// and every wait on the way out (the game-over sequence, the pause for Enter) gives up.
bool endRequested();

// For tests: as if a signal had come, or as if none had.
void requestEnd();
void forgetEndRequest();

} // namespace platform
