// A page has no display connection to lose: the browser ends the page and the game together.
#include "platform/display_loss.h"

namespace platform {

void endOnLostDisplay() {}

void beforeEndOnLostDisplay(void (* /*work*/)()) {}

} // namespace platform
