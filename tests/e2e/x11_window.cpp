// What the end-to-end scripts need from X that xdotool 3.20160805 cannot do: ask a window to
// close the way a window manager does (its "windowclose" destroys the window instead, which no
// real user action does), and tell what kind of window a top-level is.
//
//   quelmar-e2e-x11 close WINDOW     sends WM_PROTOCOLS/WM_DELETE_WINDOW, as a title bar's close
//                                    box would; fails if the window does not take that request
//   quelmar-e2e-x11 describe WINDOW  prints "type ATOM" and "state ATOM" lines (EWMH),
//                                    "transient-for yes|no" and "class CLASS" (WM_CLASS, which
//                                    a desktop matches with the menu entry's StartupWMClass)

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;

// A window can vanish between the script finding it and this program using it; report that
// instead of letting Xlib end the process with its own message.
int noteError(Display* display, XErrorEvent* error) {
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "quelmar-e2e-x11: erro do X: %s\n", text);
    ++failures;
    return 0;
}

[[noreturn]] void usage() {
    std::fprintf(stderr, "uso: quelmar-e2e-x11 close|describe JANELA\n");
    std::exit(2);
}

bool parseWindow(const char* text, Window& window) {
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value == 0)
        return false;
    window = static_cast<Window>(value);
    return true;
}

std::vector<Atom> atomList(Display* display, Window window, const char* property) {
    std::vector<Atom> atoms;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const Atom name = XInternAtom(display, property, False);
    if (XGetWindowProperty(display, window, name, 0, 64, False, XA_ATOM, &actualType, &actualFormat,
                           &count, &remaining, &data) == Success &&
        data != nullptr) {
        if (actualType == XA_ATOM && actualFormat == 32) {
            const auto* values = reinterpret_cast<const Atom*>(data);
            atoms.assign(values, values + count);
        }
        XFree(data);
    }
    return atoms;
}

std::string atomName(Display* display, Atom atom) {
    char* name = XGetAtomName(display, atom);
    if (name == nullptr)
        return "?";
    std::string copy(name);
    XFree(name);
    return copy;
}

int close(Display* display, Window window) {
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* offered = nullptr;
    int count = 0;
    bool takesDelete = false;
    if (XGetWMProtocols(display, window, &offered, &count) != 0) {
        for (int i = 0; i < count; ++i)
            takesDelete = takesDelete || offered[i] == deleteWindow;
        XFree(offered);
    }
    if (failures != 0)
        return 1;
    // A window manager never sends the request to a client that did not ask for it; it would
    // kill the client instead. So a window without it cannot be closed politely at all.
    if (!takesDelete) {
        std::fprintf(stderr, "quelmar-e2e-x11: a janela 0x%lx não aceita WM_DELETE_WINDOW\n",
                     window);
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return failures == 0 ? 0 : 1;
}

int describe(Display* display, Window window) {
    for (const Atom type : atomList(display, window, "_NET_WM_WINDOW_TYPE"))
        std::printf("type %s\n", atomName(display, type).c_str());
    for (const Atom state : atomList(display, window, "_NET_WM_STATE"))
        std::printf("state %s\n", atomName(display, state).c_str());
    Window owner = None;
    const bool transient = XGetTransientForHint(display, window, &owner) != 0 && owner != None;
    std::printf("transient-for %s\n", transient ? "yes" : "no");
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) != 0) {
        std::printf("class %s\n", hint.res_class != nullptr ? hint.res_class : "");
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    XSync(display, False);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Window window = None;
    if (argc != 3 || !parseWindow(argv[2], window))
        usage();
    const std::string command = argv[1];
    if (command != "close" && command != "describe")
        usage();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "quelmar-e2e-x11: não foi possível abrir o display\n");
        return 1;
    }
    XSetErrorHandler(noteError);
    const int status = command == "close" ? close(display, window) : describe(display, window);
    XCloseDisplay(display);
    return status;
}
