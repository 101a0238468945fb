// The drawing floors of a frame: the fill, blits and flip it made, replayed on one core and
// split over two.
#pragma once

#include <SDL/SDL.h>

namespace bench {

// Starts writing down the blits the next frame makes onto the screen (the blit wrap sees them
// all, the wrap of crowding::drawEnemy the enemies'); `stopRecording` ends it. Only blits of the
// thread that started recording count, and none made inside the game's crowding calls, where
// the queue makes the enemy blits already written down. A mirrored copy, freed right after its
// blit, is written down as what `standIn` gives at the time: a picture of the same size and format.
void startRecording();
void stopRecording();
void setStandInForCopies(SDL_Surface* (*standIn)());

// While one lives, this thread is inside a crowding call of the game.
struct InCrowding {
    InCrowding();
    ~InCrowding();
    InCrowding(const InCrowding&) = delete;
    InCrowding& operator=(const InCrowding&) = delete;
};

// The one-core floor: the recorded frame's fill, blits and flip on this thread, in ms.
double oneCoreFloorMs();

// Makes both drawers' copies of the `count` pictures now (null ones passed over). Making a copy
// blits the picture, which leaves SDL to set the picture up again for the screen on its next
// blit there: done before any frame is measured, that costs no measured frame anything.
void copyPictures(SDL_Surface* const* pictures, int count);

// The two-core floor: the same fill and blits split between this thread and a second one, each
// drawing its own band of screen rows in the recorded order (the bands cut where the blits'
// pixels are shared evenly), then the flip; in ms. The second thread is started on first use.
double twoCoreFloorMs();

} // namespace bench
