// Crowding: the one way the frame loop and the enemies reach the crowding machinery.
#pragma once

#include "pieces/vec2.h"

#include <SDL/SDL.h>

class Crowd;
class GamePiece;

// GHOULRUN_PLAIN_CROWD=1 in the environment runs the game on the plain pass alone (no Crowd, no
// helper thread, no queued blits): the same game, slower, for telling a fault of the quick pass
// from one elsewhere (docs/crowding.md).
namespace crowding {

// The crowding pass as the rule reads: every enemy in play but `self` (slots firstEnemySlot to the
// newest released, in increasing order) closer than `distance` pixels to `own` on an axis pushes
// it on that axis by the difference over `divisor`, each push at once. Returns where `own` ends.
// The reference every quicker pass must match bit for bit; any thread that may read the pieces.
Vec2 plainPass(const GamePiece* self, Vec2 own, double distance, double divisor);

// The crowding pass of `self` standing at `own`, with the same result as plainPass: the Crowd's
// quick pass while the frame loop updates `self`, the plain pass otherwise or whenever the Crowd
// steps aside. Frame loop thread only.
Vec2 pushApart(const GamePiece* self, Vec2 own, double distance, double divisor);

// Blits the whole of an enemy's `picture` onto the screen with its top-left corner at `at`; in a
// frame the helper thread shares, a little later, still in drawing order and before endFrame
// returns. The picture must outlive the frame. Frame loop thread only.
void drawEnemy(SDL_Surface* picture, SDL_Rect at);

// At start-up, before the first frame: reads GHOULRUN_PLAIN_CROWD and, unless it asks for the
// plain pass alone, makes the helper thread now (on a machine with a second core), so that no
// frame ever has to start one.
void prepare();
// Whether the game runs on the plain pass alone. Set between frames.
void setPlainOnly(bool plain);
bool plainOnly();

// The frame loop's part, once per frame: beginFrame before the first enemy's update, then
// updateEnemy for each enemy newest first, then endFrame before anything else draws. Between
// beginFrame and endFrame an enemy's update may change only its own position and `dead` flag.
void beginFrame();
// Updates `enemy`, the piece in `slot`, so that the passes after it see where it went.
void updateEnemy(int slot, GamePiece& enemy);
// Makes the enemies' queued blits and takes the helper thread's share of the frame back.
void endFrame();

} // namespace crowding

// The Crowd of the frame loop, for the tests and the benchmark; the game reaches it through the
// calls above.
Crowd& frameCrowd();
