// The request to play again, noted between the frame's event poll and the end of the frame.
#include "shell/play_again.h"

namespace {

bool requested = false;

} // namespace

void requestPlayAgain() {
    requested = true;
}

bool playAgainRequested() {
    return requested;
}

void clearPlayAgainRequest() {
    requested = false;
}
