// ghoulrun_close_window WINDOW: sends WM_DELETE_WINDOW as a window manager's close button does;
// fails if the window does not list it in WM_PROTOCOLS: a window manager would then never send it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    Display* display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr) {
        std::fprintf(stderr, "usage: ghoulrun_close_window WINDOW, with a display to open\n");
        return 2;
    }
    const auto window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool takes = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        takes = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
        XFree(protocols);
    }
    if (takes) {
        const Atom protocolsAtom = XInternAtom(display, "WM_PROTOCOLS", False);
        XEvent event{};
        event.xclient = {ClientMessage, 0, False, display, window, protocolsAtom, 32, {}};
        event.xclient.data.l[0] = static_cast<long>(deleteWindow); // its time, l[1], is CurrentTime
        XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
    } else {
        std::fprintf(stderr, "ghoulrun_close_window: the window takes no WM_DELETE_WINDOW\n");
    }
    XCloseDisplay(display);
    return takes ? 0 : 1;
}
