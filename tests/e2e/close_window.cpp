// ghoulrun_close_window: asks the game window to close, the way a window manager's close button
// does: a WM_DELETE_WINDOW client message, which the game sees as its quit event.
//
// Usage: ghoulrun_close_window [--id WINDOW] [--title TITLE]
// Without --id the window is found by its exact title (default "Ghoulrun") on $DISPLAY.
// Exit status: 0 sent, 1 no such window, 2 no display, 3 the window does not take the request.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* defaultTitle = "Ghoulrun";

enum ExitCode { sent = 0, noWindow = 1, noDisplay = 2, refused = 3, badUsage = 4 };

// The window's title: the UTF-8 _NET_WM_NAME when set, else the classic WM_NAME.
std::string titleOf(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

// Depth-first search of the window tree for the first window with exactly this title.
std::optional<Window> findByTitle(Display* display, Window root, std::string_view title) {
    if (titleOf(display, root) == title) {
        return root;
    }
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &childCount) == 0) {
        return std::nullopt;
    }
    std::optional<Window> found;
    for (unsigned int i = 0; i < childCount && !found; ++i) {
        found = findByTitle(display, children[i], title);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// A window manager only sends WM_DELETE_WINDOW to windows that list it in WM_PROTOCOLS.
bool takesDeleteRequest(Display* display, Window window, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) == 0) {
        return false;
    }
    bool listed = false;
    for (int i = 0; i < count; ++i) {
        listed = listed || protocols[i] == deleteWindow;
    }
    XFree(protocols);
    return listed;
}

int usage() {
    std::fprintf(stderr, "usage: ghoulrun_close_window [--id WINDOW] [--title TITLE]\n");
    return badUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    std::optional<Window> window;
    std::string title = defaultTitle;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        if (option == "--id") {
            window = static_cast<Window>(std::strtoul(argv[++i], nullptr, 0));
        } else if (option == "--title") {
            title = argv[++i];
        } else {
            return usage();
        }
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "ghoulrun_close_window: cannot open display\n");
        return noDisplay;
    }
    if (!window) {
        window = findByTitle(display, DefaultRootWindow(display), title);
    }
    if (!window) {
        std::fprintf(stderr, "ghoulrun_close_window: no window titled \"%s\"\n", title.c_str());
        XCloseDisplay(display);
        return noWindow;
    }

    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!takesDeleteRequest(display, *window, deleteWindow)) {
        std::fprintf(stderr, "ghoulrun_close_window: window 0x%lx does not take WM_DELETE_WINDOW\n",
                     *window);
        XCloseDisplay(display);
        return refused;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = *window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, *window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent;
}
