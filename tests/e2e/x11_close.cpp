// Test helper: waits for a top-level window with the given title and asks it
// to close the way a window manager's close box does (WM_DELETE_WINDOW).
// Usage: x11_close TITLE [TIMEOUT_SECONDS]. Exit 0 when the request was sent.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

Window FindWindow(Display* d, Window w, const char* title) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) != 0 && name != nullptr) {
        const bool match = std::strcmp(name, title) == 0;
        XFree(name);
        if (match) {
            return w;
        }
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &count) != 0) {
        for (unsigned i = 0; i < count && found == 0; ++i) {
            found = FindWindow(d, children[i], title);
        }
        if (children != nullptr) {
            XFree(children);
        }
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: x11_close TITLE [TIMEOUT_SECONDS]\n");
        return 2;
    }
    const int timeout = argc > 2 ? std::atoi(argv[2]) : 10;
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) {
        std::fprintf(stderr, "x11_close: cannot open the display\n");
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
    Window target = 0;
    while (target == 0 && std::chrono::steady_clock::now() < deadline) {
        target = FindWindow(d, DefaultRootWindow(d), argv[1]);
        if (target == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (target == 0) {
        std::fprintf(stderr, "x11_close: no window titled '%s'\n", argv[1]);
        XCloseDisplay(d);
        return 1;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, target, False, NoEventMask, &e);
    XFlush(d);
    XCloseDisplay(d);
    return 0;
}
