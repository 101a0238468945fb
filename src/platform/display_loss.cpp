// Ends the process when the X connection breaks, before anything can wait on the dead
// connection.
//
// Xlib finds a broken connection inside whatever call was talking to the server (in play, the
// flip's XSync) and calls its I/O error handler. The default one prints "X connection to :N
// broken" and calls exit(). Whatever then stops SDL (the shell's end of the run, or the library's
// own exit handlers) reaches SDL's X11 teardown, which waits in XIfEvent for the window's unmap:
// on a connection marked broken, _XReadEvents returns at once without reading, so that wait spins
// for ever, and SIGTERM only queues an SDL_QUIT that nobody reads any more. Xlib never expects the
// handler to return, and nothing of SDL may run after it: this is one of the two ends of the run
// that never go back to the shell, and it leaves with _exit.
#include "platform/display_loss.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

constexpr char lostDisplayLine[] = "ghoulrun: lost the display\n";

void (*lastWork)() = nullptr;

[[noreturn]] int onBrokenConnection(Display*) {
    // The process may be anywhere inside Xlib, with its lock held: nothing of Xlib or SDL runs
    // from here, only write(2), the work set to run last, which calls neither, and _exit(2).
    const ssize_t ignored = write(STDERR_FILENO, lostDisplayLine, sizeof lostDisplayLine - 1);
    static_cast<void>(ignored);
    if (lastWork != nullptr) {
        lastWork();
    }
    _exit(EXIT_FAILURE);
}

} // namespace

void beforeEndOnLostDisplay(void (*work)()) {
    lastWork = work;
}

void endOnLostDisplay() {
    // Process-wide, and the libX11 SDL loads is this same library. SDL installs no handler of its
    // own; XOpenDisplay only installs the default when none is set.
    XSetIOErrorHandler(onBrokenConnection);
}

} // namespace platform
