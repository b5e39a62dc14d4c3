#include "tests/support/x_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>

#include <memory>
#include <thread>

namespace kelvane::test {
namespace {

struct DisplayClose {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayClose>;

// While it lives, an X request that fails (a window of another program closed while it
// was looked at) fails only that request, instead of ending this program by Xlib's default.
class IgnoreXErrors {
public:
    explicit IgnoreXErrors(Display* d) : display_(d), previous_(XSetErrorHandler([](Display*, XErrorEvent*) { return 0; })) {}
    ~IgnoreXErrors() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    IgnoreXErrors(const IgnoreXErrors&) = delete;
    IgnoreXErrors& operator=(const IgnoreXErrors&) = delete;

private:
    Display* display_;
    XErrorHandler previous_;
};

std::optional<long> cardinal_property(Display* d, Window w, const char* name) {
    Atom atom = XInternAtom(d, name, True), type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (atom == None || XGetWindowProperty(d, w, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
        return std::nullopt;
    std::optional<long> value;
    if (data && count == 1 && format == 32) value = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return value;
}

std::string title_of(Display* d, Window w) {
    Atom name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False), type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success && data)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return title;
}

std::optional<XWindowInfo> info_of(Display* d, Window w) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes)) return std::nullopt;
    return XWindowInfo{w, title_of(d, w), attributes.width, attributes.height, attributes.map_state == IsViewable};
}

// The first shown top-level window that `wanted` accepts, waiting for it until the deadline.
template <typename Wanted>
std::optional<XWindowInfo> find_shown_window(Wanted wanted, std::chrono::milliseconds timeout) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return std::nullopt;
    Display* d = display.get();
    IgnoreXErrors ignore(d);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
            std::optional<XWindowInfo> found;
            for (unsigned int i = 0; i < count && !found; ++i) {
                if (!wanted(d, children[i])) continue;
                auto info = info_of(d, children[i]);
                if (info && info->viewable) found = info;
            }
            if (children) XFree(children);
            if (found) return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

}  // namespace

std::optional<XWindowInfo> find_window(pid_t pid, std::chrono::milliseconds timeout) {
    return find_shown_window(
        [pid](Display* d, Window w) { return cardinal_property(d, w, "_NET_WM_PID") == pid; }, timeout);
}

std::optional<XWindowInfo> find_window_titled(const std::string& title, std::chrono::milliseconds timeout) {
    return find_shown_window([&title](Display* d, Window w) { return title_of(d, w) == title; }, timeout);
}

std::vector<XWindowInfo> windows_of(pid_t pid) {
    std::vector<XWindowInfo> shown;
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return shown;
    Display* d = display.get();
    IgnoreXErrors ignore(d);
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            if (cardinal_property(d, children[i], "_NET_WM_PID") != pid) continue;
            if (auto info = info_of(d, children[i]); info && info->viewable) shown.push_back(*info);
        }
    }
    if (children) XFree(children);
    return shown;
}

std::optional<XWindowInfo> window_info(unsigned long id) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return std::nullopt;
    return info_of(display.get(), id);
}

}  // namespace kelvane::test

namespace kelvane::test {

bool pointer_move(unsigned long id, int x, int y) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return false;
    Display* d = display.get();
    int root_x = 0, root_y = 0;
    Window child;
    if (!XTranslateCoordinates(d, id, DefaultRootWindow(d), x, y, &root_x, &root_y, &child)) return false;
    XTestFakeMotionEvent(d, DefaultScreen(d), root_x, root_y, CurrentTime);
    XSync(d, False);
    return true;
}

bool pointer_button(int button, bool press) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return false;
    XTestFakeButtonEvent(display.get(), static_cast<unsigned>(button), press, CurrentTime);
    XSync(display.get(), False);
    return true;
}

bool click(unsigned long id, int x, int y) {
    // Each step waits for the X server to carry it out, so the press lands where the pointer went.
    if (!pointer_move(id, x, y)) return false;
    return pointer_button(1, true) && pointer_button(1, false);
}

}  // namespace kelvane::test

namespace kelvane::test {

bool close_window(unsigned long id) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return false;
    Display* d = display.get();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(d, id, False, NoEventMask, &event) != 0;
    XSync(d, False);
    return sent;
}

std::pair<int, int> window_icon_size(unsigned long id) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return {0, 0};
    Display* d = display.get();
    Atom atom = XInternAtom(d, "_NET_WM_ICON", False), type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    std::pair<int, int> largest{0, 0};
    if (XGetWindowProperty(d, id, atom, 0, 1 << 22, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success && data) {
        // Icons follow each other as width, height, then width * height pixels.
        const long* values = reinterpret_cast<long*>(data);
        for (unsigned long i = 0; i + 2 <= count;) {
            const long w = values[i], h = values[i + 1];
            if (w <= 0 || h <= 0) break;
            if (w * h > largest.first * largest.second) largest = {static_cast<int>(w), static_cast<int>(h)};
            i += 2 + static_cast<unsigned long>(w * h);
        }
    }
    if (data) XFree(data);
    return largest;
}

std::optional<unsigned long> pixel(unsigned long id, int x, int y) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return std::nullopt;
    XImage* image = XGetImage(display.get(), id, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return value;
}

BellWatcher::BellWatcher() : display_(XOpenDisplay(nullptr)) {
    Display* d = static_cast<Display*>(display_);
    if (!d) return;
    int opcode, error, major = XkbMajorVersion, minor = XkbMinorVersion;
    XkbQueryExtension(d, &opcode, &event_base_, &error, &major, &minor);
    XkbSelectEvents(d, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    XSync(d, False);
}

BellWatcher::~BellWatcher() {
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

int BellWatcher::count() {
    Display* d = static_cast<Display*>(display_);
    if (!d) return 0;
    XSync(d, False);
    while (XPending(d)) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == event_base_ + XkbEventCode && reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify)
            ++rung_;
    }
    return rung_;
}

}  // namespace kelvane::test

namespace kelvane::test {

std::pair<std::string, std::string> window_class(unsigned long id) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return {};
    XClassHint hint{};
    if (!XGetClassHint(display.get(), id, &hint)) return {};
    std::pair<std::string, std::string> names{hint.res_name ? hint.res_name : "", hint.res_class ? hint.res_class : ""};
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return names;
}

std::optional<pid_t> window_pid(unsigned long id) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return std::nullopt;
    const auto pid = cardinal_property(display.get(), id, "_NET_WM_PID");
    return pid ? std::optional<pid_t>(static_cast<pid_t>(*pid)) : std::nullopt;
}

}  // namespace kelvane::test

namespace kelvane::test {

MapWatcher::MapWatcher() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    auto* d = static_cast<Display*>(display_);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
}

MapWatcher::~MapWatcher() {
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

std::optional<std::chrono::steady_clock::time_point> MapWatcher::wait_for_map(pid_t pid,
                                                                              std::chrono::milliseconds timeout) {
    if (!display_) return std::nullopt;
    auto* d = static_cast<Display*>(display_);
    // A window manager maps its frame around the window: the frame's child then tells.
    auto owned = [&](Window w) {
        if (cardinal_property(d, w, "_NET_WM_PID") == pid) return true;
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        bool found = false;
        if (XQueryTree(d, w, &root, &parent, &children, &count))
            for (unsigned int i = 0; i < count && !found; ++i) found = cardinal_property(d, children[i], "_NET_WM_PID") == pid;
        if (children) XFree(children);
        return found;
    };
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        while (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type != MapNotify) continue;
            const auto told = std::chrono::steady_clock::now();
            if (owned(event.xmap.window)) return told;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

}  // namespace kelvane::test
