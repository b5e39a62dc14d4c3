#include "tests/support/x_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>

#include <memory>

namespace kelvane::test {
namespace {

// Each call has a connection of its own to the test's display, as another program has.
struct DisplayClose {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayClose>;

template <typename Use>
auto with_display(Use use) -> decltype(use(static_cast<Display*>(nullptr))) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return {};
    return use(display.get());
}

// A property of any type as the server holds it; nothing when the window has none.
struct Property {
    int format = 0;
    unsigned long count = 0;
    std::unique_ptr<unsigned char, decltype(&XFree)> data{nullptr, XFree};
};

Property read(Display* d, Window w, const char* name) {
    Property p;
    Atom type;
    unsigned long after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1 << 22, False, AnyPropertyType, &type, &p.format,
                           &p.count, &after, &data) == Success)
        p.data.reset(data);
    return p;
}

// 32-bit items come as longs, the way Xlib hands them out.
std::vector<long> items(Display* d, Window w, const char* name) {
    const Property p = read(d, w, name);
    if (!p.data || p.format != 32) return {};
    const long* first = reinterpret_cast<const long*>(p.data.get());
    return {first, first + p.count};
}

std::string text(Display* d, Window w, const char* name) {
    const Property p = read(d, w, name);
    if (!p.data || p.format != 8) return {};
    return {reinterpret_cast<const char*>(p.data.get()), p.count};
}

bool owned_by(Display* d, Window w, pid_t pid) {
    const auto owner = items(d, w, "_NET_WM_PID");
    return !owner.empty() && owner[0] == pid;
}

std::optional<XWindowInfo> info_of(Display* d, Window w) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes)) return std::nullopt;
    return XWindowInfo{w, text(d, w, "_NET_WM_NAME"), attributes.width, attributes.height,
                       attributes.map_state == IsViewable};
}

// The shown top-level windows that `wanted` accepts.
template <typename Wanted>
std::vector<XWindowInfo> shown_windows(Display* d, Wanted wanted) {
    std::vector<XWindowInfo> shown;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            if (wanted(d, children[i]))
                if (auto info = info_of(d, children[i]); info && info->viewable) shown.push_back(*info);
    }
    if (children) XFree(children);
    return shown;
}

template <typename Wanted>
std::optional<XWindowInfo> find_shown_window(Wanted wanted, std::chrono::milliseconds timeout) {
    std::optional<XWindowInfo> found;
    wait_until(
        [&] {
            const auto shown = with_display([&](Display* d) { return shown_windows(d, wanted); });
            if (!shown.empty()) found = shown.front();
            return found.has_value();
        },
        timeout);
    return found;
}

bool change(Display* d, unsigned long id, const char* name, const char* type, int format, const void* data, int count) {
    XChangeProperty(d, id, XInternAtom(d, name, False), XInternAtom(d, type, False), format, PropModeReplace,
                    static_cast<const unsigned char*>(data), count);
    XSync(d, False);
    return true;
}

constexpr long kDecorationsFlag = 1 << 1;  // of _MOTIF_WM_HINTS

}  // namespace

std::optional<XWindowInfo> find_window(pid_t pid, std::chrono::milliseconds timeout) {
    return find_shown_window([pid](Display* d, Window w) { return owned_by(d, w, pid); }, timeout);
}

std::optional<XWindowInfo> find_window_titled(const std::string& title, std::chrono::milliseconds timeout) {
    return find_shown_window([&title](Display* d, Window w) { return text(d, w, "_NET_WM_NAME") == title; }, timeout);
}

std::vector<XWindowInfo> windows_of(pid_t pid) {
    return with_display([pid](Display* d) {
        return shown_windows(d, [pid](Display* same, Window w) { return owned_by(same, w, pid); });
    });
}

std::optional<XWindowInfo> window_info(unsigned long id) {
    return with_display([id](Display* d) { return info_of(d, id); });
}

std::pair<std::string, std::string> window_class(unsigned long id) {
    // Two texts, each ending in a zero byte.
    const std::string both = with_display([id](Display* d) { return text(d, id, "WM_CLASS"); });
    const auto end = both.find('\0');
    if (end == std::string::npos) return {};
    return {both.substr(0, end), both.substr(end + 1, both.find('\0', end + 1) - end - 1)};
}

std::optional<pid_t> window_pid(unsigned long id) {
    const auto pid = property_items(id, "_NET_WM_PID");
    return pid.empty() ? std::nullopt : std::optional<pid_t>(static_cast<pid_t>(pid[0]));
}

unsigned long root_window() {
    return with_display([](Display* d) { return DefaultRootWindow(d); });
}

std::array<int, 2> screen_size() {
    return with_display([](Display* d) {
        return std::array<int, 2>{DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    });
}

std::vector<long> property_items(unsigned long id, const char* property) {
    return with_display([&](Display* d) { return items(d, id, property); });
}

std::vector<std::string> atom_list(unsigned long id, const char* property) {
    return with_display([&](Display* d) {
        std::vector<std::string> names;
        for (long atom : items(d, id, property)) {
            if (char* name = XGetAtomName(d, static_cast<Atom>(atom))) {
                names.emplace_back(name);
                XFree(name);
            }
        }
        return names;
    });
}

std::optional<std::array<long, 4>> frame_extents(unsigned long id) {
    const auto v = property_items(id, "_NET_FRAME_EXTENTS");
    if (v.size() != 4) return std::nullopt;
    return std::array<long, 4>{v[0], v[1], v[2], v[3]};
}

std::optional<long> wm_state(unsigned long id) {
    const auto v = property_items(id, "WM_STATE");
    return v.empty() ? std::nullopt : std::optional<long>(v[0]);
}

std::string wm_name(unsigned long id) {
    return with_display([id](Display* d) { return text(d, id, "WM_NAME"); });
}

std::optional<long> motif_decorations(unsigned long id) {
    const auto v = property_items(id, "_MOTIF_WM_HINTS");
    if (v.size() < 3 || !(v[0] & kDecorationsFlag)) return std::nullopt;
    return v[2];
}

bool resizable(unsigned long id) {
    return with_display([id](Display* d) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(d, id, &hints, &supplied)) return true;
        const bool fixed = (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
                           hints.min_height == hints.max_height;
        return !fixed;
    });
}

bool set_title(unsigned long id, const std::string& title) {
    const int size = static_cast<int>(title.size());
    return with_display([&](Display* d) {
        return change(d, id, "WM_NAME", "STRING", 8, title.data(), size) &&
               change(d, id, "_NET_WM_NAME", "UTF8_STRING", 8, title.data(), size);
    });
}

bool set_motif_decorations(unsigned long id, long decorations) {
    const long hints[5] = {kDecorationsFlag, 0, decorations, 0, 0};
    return with_display([&](Display* d) { return change(d, id, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", 32, hints, 5); });
}

bool set_window_type(unsigned long id, const std::string& type) {
    return with_display([&](Display* d) {
        const long atom = static_cast<long>(XInternAtom(d, type.c_str(), False));
        return change(d, id, "_NET_WM_WINDOW_TYPE", "ATOM", 32, &atom, 1);
    });
}

bool pointer_move(unsigned long id, int x, int y) {
    return with_display([&](Display* d) {
        int root_x = 0, root_y = 0;
        Window child;
        if (!XTranslateCoordinates(d, id, DefaultRootWindow(d), x, y, &root_x, &root_y, &child)) return false;
        XTestFakeMotionEvent(d, DefaultScreen(d), root_x, root_y, CurrentTime);
        XSync(d, False);
        return true;
    });
}

bool pointer_button(int button, bool press) {
    return with_display([&](Display* d) {
        XTestFakeButtonEvent(d, static_cast<unsigned>(button), press, CurrentTime);
        XSync(d, False);
        return true;
    });
}

bool click(unsigned long id, int x, int y) {
    // Each step waits for the X server to carry it out, so the press lands where the pointer went.
    if (!pointer_move(id, x, y)) return false;
    return pointer_button(1, true) && pointer_button(1, false);
}

bool close_window(unsigned long id) {
    return with_display([id](Display* d) {
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
    });
}

std::pair<int, int> window_icon_size(unsigned long id) {
    const auto values = property_items(id, "_NET_WM_ICON");
    std::pair<int, int> largest{0, 0};
    // Icons follow each other as width, height, then width * height pixels.
    for (std::size_t i = 0; i + 2 <= values.size();) {
        const long w = values[i], h = values[i + 1];
        if (w <= 0 || h <= 0) break;
        if (w * h > largest.first * largest.second) largest = {static_cast<int>(w), static_cast<int>(h)};
        i += 2 + static_cast<std::size_t>(w * h);
    }
    return largest;
}

std::optional<unsigned long> pixel(unsigned long id, int x, int y) {
    return with_display([&](Display* d) -> std::optional<unsigned long> {
        XImage* image = XGetImage(d, id, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) return std::nullopt;
        const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return value;
    });
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
        if (owned_by(d, w, pid)) return true;
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        bool found = false;
        if (XQueryTree(d, w, &root, &parent, &children, &count))
            for (unsigned int i = 0; i < count && !found; ++i) found = owned_by(d, children[i], pid);
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
