// The request to pause, noted between the frame's event poll and the end of the frame.
#include "shell/pause_request.h"

namespace {

bool requested = false;

} // namespace

void requestPause() {
    requested = true;
}

bool pauseRequested() {
    return requested;
}

void clearPauseRequest() {
    requested = false;
}
