// ghoulrun_close_window --id WINDOW: asks the window to close as a window manager's close button
// does, with a WM_DELETE_WINDOW message; fails if the window does not list that request in its
// WM_PROTOCOLS, since a window manager would then never send it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char* argv[]) {
    if (argc != 3 || std::string_view(argv[1]) != "--id") {
        std::fprintf(stderr, "usage: ghoulrun_close_window --id WINDOW\n");
        return 2;
    }
    const auto window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "ghoulrun_close_window: cannot open the display\n");
        return 1;
    }
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool takes = false;
    if (XGetWMProtocols(display, window, &protocols, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            takes = takes || protocols[i] == deleteWindow;
        }
        XFree(protocols);
    }
    if (takes) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
    } else {
        std::fprintf(stderr, "ghoulrun_close_window: the window takes no WM_DELETE_WINDOW\n");
    }
    XCloseDisplay(display);
    return takes ? 0 : 1;
}
