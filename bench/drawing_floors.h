// The drawing floors of a frame: the fill, blits and flip it made, replayed on one core and
// split over two.
#pragma once

#include <SDL/SDL.h>

namespace bench {

// Starts writing down the blits the next frame asks of the screen (the wrap of blitToScreen, the
// game's one door to it, sees them all); `stopRecording` ends it. Only the blits of the thread
// that started recording count. A mirrored copy, freed right after its
// blit, is written down as what `standIn` gives at the time: a picture of the same size and format.
void startRecording();
void stopRecording();
void setStandInForCopies(SDL_Surface* (*standIn)());

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

// Counts the pixels blitted onto the screen's pixels (the helper's surface over them included),
// by any thread, from `startCountingPixels` to `stopCountingPixels`, which returns the count.
// Where they were blitted from is not asked: a frame's drawing and a floor's count alike, so that
// a frame's count against its one-core floor's is the share of the blits' pixels it drew.
void startCountingPixels();
long stopCountingPixels();

} // namespace bench
