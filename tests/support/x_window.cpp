#include "tests/support/x_window.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <stdexcept>

#include "tests/support/keyboard.h"
#include "tests/support/process.h"
#include "tests/support/window_manager.h"

namespace kelvane::test {
namespace {

// One connection of this program's own to the test's display, apart from the toolkit's,
// as another program has; opened on first use and kept.
// A request on it that fails (a window of another program closed while it was looked at)
// fails alone, instead of ending the test program as Xlib would; the toolkit's
// connection keeps its own handling.
Display* x() {
    static Display* display = XOpenDisplay(nullptr);
    if (!display) throw std::runtime_error("no X display");
    static XErrorHandler toolkit = XSetErrorHandler([](Display* d, XErrorEvent* error) {
        return d == display || !toolkit ? 0 : toolkit(d, error);
    });
    return display;
}

Atom atom(const char* name) { return XInternAtom(x(), name, False); }

// A property's items as Xlib hands them out: 8-bit ones as chars, 32-bit ones as longs.
template <typename Item>
std::vector<Item> items(Window w, const char* name) {
    Atom type;
    int format = 0;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    std::vector<Item> found;
    if (XGetWindowProperty(x(), w, atom(name), 0, 1 << 22, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success && format == (sizeof(Item) == 1 ? 8 : 32))
        found.assign(reinterpret_cast<Item*>(data), reinterpret_cast<Item*>(data) + count);
    if (data) XFree(data);
    return found;
}

std::string text(Window w, const char* name) {
    const auto chars = items<char>(w, name);
    return {chars.begin(), chars.end()};
}

bool owned_by(Window w, pid_t pid) { return window_pid(w) == pid; }

// The shown top-level windows that `wanted` accepts.
template <typename Wanted>
std::vector<XWindowInfo> shown_windows(Wanted wanted) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    std::vector<XWindowInfo> shown;
    if (XQueryTree(x(), DefaultRootWindow(x()), &root, &parent, &children, &count))
        for (Window w : std::vector<Window>(children, children + count))
            if (auto info = wanted(w) ? window_info(w) : std::nullopt; info && info->viewable) shown.push_back(*info);
    if (children) XFree(children);
    return shown;
}

template <typename Wanted>
std::optional<XWindowInfo> find_shown_window(Wanted wanted, std::chrono::milliseconds timeout) {
    std::vector<XWindowInfo> shown;
    wait_until([&] { return !(shown = shown_windows(wanted)).empty(); }, timeout);
    return shown.empty() ? std::nullopt : std::optional(shown.front());
}

bool change(unsigned long id, const char* name, const char* type, int format, const void* data, int count) {
    XChangeProperty(x(), id, atom(name), atom(type), format, PropModeReplace, static_cast<const unsigned char*>(data),
                    count);
    return XSync(x(), False);
}

constexpr long kDecorationsFlag = 1 << 1;  // of _MOTIF_WM_HINTS

}  // namespace

std::optional<XWindowInfo> find_window(pid_t pid, std::chrono::milliseconds timeout) {
    return find_shown_window([pid](Window w) { return owned_by(w, pid); }, timeout);
}

std::optional<XWindowInfo> find_window_titled(const std::string& title, std::chrono::milliseconds timeout) {
    return find_shown_window([&title](Window w) { return text(w, "_NET_WM_NAME") == title; }, timeout);
}

std::vector<XWindowInfo> windows_of(pid_t pid) {
    return shown_windows([pid](Window w) { return owned_by(w, pid); });
}

std::optional<XWindowInfo> window_info(unsigned long id) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(x(), id, &a)) return std::nullopt;
    return XWindowInfo{id, text(id, "_NET_WM_NAME"), a.width, a.height, a.map_state == IsViewable};
}

std::pair<std::string, std::string> window_class(unsigned long id) {
    const std::string both = text(id, "WM_CLASS");  // two texts, each ending in a zero byte
    const auto end = both.find('\0');
    if (end == std::string::npos) return {};
    return {both.substr(0, end), both.c_str() + end + 1};
}

std::optional<pid_t> window_pid(unsigned long id) {
    const auto pid = items<long>(id, "_NET_WM_PID");
    return pid.empty() ? std::nullopt : std::optional<pid_t>(static_cast<pid_t>(pid[0]));
}

std::array<int, 2> screen_size() {
    return {DisplayWidth(x(), DefaultScreen(x())), DisplayHeight(x(), DefaultScreen(x()))};
}

std::vector<std::string> atom_list(unsigned long id, const char* property) {
    std::vector<std::string> names;
    for (long a : items<long>(id, property))
        if (char* name = XGetAtomName(x(), static_cast<Atom>(a))) {
            names.emplace_back(name);
            XFree(name);
        }
    return names;
}

std::optional<std::array<long, 4>> frame_extents(unsigned long id) {
    if (const auto v = items<long>(id, "_NET_FRAME_EXTENTS"); v.size() == 4) return std::array{v[0], v[1], v[2], v[3]};
    return std::nullopt;
}

std::optional<long> wm_state(unsigned long id) {
    const auto v = items<long>(id, "WM_STATE");
    return v.empty() ? std::nullopt : std::optional<long>(v[0]);
}

std::string wm_name(unsigned long id) { return text(id, "WM_NAME"); }

std::optional<long> motif_decorations(unsigned long id) {
    const auto v = items<long>(id, "_MOTIF_WM_HINTS");
    if (v.size() < 3 || !(v[0] & kDecorationsFlag)) return std::nullopt;
    return v[2];
}

bool resizable(unsigned long id) {
    XSizeHints h{};
    long supplied = 0;
    if (!XGetWMNormalHints(x(), id, &h, &supplied)) return true;
    return !((h.flags & PMinSize) && (h.flags & PMaxSize) && h.min_width == h.max_width && h.min_height == h.max_height);
}

bool set_title(unsigned long id, const std::string& title) {
    const int size = static_cast<int>(title.size());
    return change(id, "WM_NAME", "STRING", 8, title.data(), size) &&
           change(id, "_NET_WM_NAME", "UTF8_STRING", 8, title.data(), size);
}

bool set_motif_decorations(unsigned long id, long decorations) {
    const long hints[5] = {kDecorationsFlag, 0, decorations, 0, 0};
    return change(id, "_MOTIF_WM_HINTS", "_MOTIF_WM_HINTS", 32, hints, 5);
}

bool set_window_type(unsigned long id, const std::string& type) {
    const long value = static_cast<long>(atom(type.c_str()));
    return change(id, "_NET_WM_WINDOW_TYPE", "ATOM", 32, &value, 1);
}

// Each step waits for the X server to carry it out, so that what follows lands where it went.
bool pointer_move(unsigned long id, int x_in_window, int y_in_window) {
    int root_x = 0, root_y = 0;
    Window child;
    if (!XTranslateCoordinates(x(), id, DefaultRootWindow(x()), x_in_window, y_in_window, &root_x, &root_y, &child))
        return false;
    XTestFakeMotionEvent(x(), DefaultScreen(x()), root_x, root_y, CurrentTime);
    return XSync(x(), False);
}

bool pointer_button(int button, bool press) {
    return XTestFakeButtonEvent(x(), static_cast<unsigned>(button), press, CurrentTime) && XSync(x(), False);
}

bool click(unsigned long id, int x_in_window, int y_in_window) {
    return pointer_move(id, x_in_window, y_in_window) && pointer_button(1, true) && pointer_button(1, false);
}

bool press_keys(const std::string& keys) {
    auto code = [](const std::string& name) { return XKeysymToKeycode(x(), XStringToKeysym(name.c_str())); };
    std::vector<KeyCode> held;
    std::string key = keys;
    for (std::size_t plus; (plus = key.find('+')) != std::string::npos; key.erase(0, plus + 1)) {
        const std::string modifier = key.substr(0, plus);
        held.push_back(code(modifier == "ctrl" ? "Control_L" : modifier == "alt" ? "Alt_L" : "Shift_L"));
    }
    const int button = key.starts_with("button") ? std::stoi(key.substr(6)) : 0;
    const KeyCode pressed = button ? 0 : code(key);
    if (!button && !pressed) return false;
    if (!button && XkbKeycodeToKeysym(x(), pressed, 0, 0) != XStringToKeysym(key.c_str())) held.push_back(code("Shift_L"));
    for (KeyCode k : held) XTestFakeKeyEvent(x(), k, True, CurrentTime);
    for (bool down : {true, false})
        button ? XTestFakeButtonEvent(x(), button, down, CurrentTime) : XTestFakeKeyEvent(x(), pressed, down, CurrentTime);
    for (KeyCode k : held) XTestFakeKeyEvent(x(), k, False, CurrentTime);
    return XSync(x(), False);
}

bool type_text(const std::string& text) {
    // Latin-1 characters are their own key symbols.
    return std::ranges::all_of(text, [](unsigned char c) {
        const char* name = XKeysymToString(c);
        return name && press_keys(name);
    });
}

bool close_window(unsigned long id) {
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, nullptr, id, atom("WM_PROTOCOLS"), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    return XSendEvent(x(), id, False, NoEventMask, &event) && XSync(x(), False);
}

std::pair<int, int> window_icon_size(unsigned long id) {
    const auto values = items<long>(id, "_NET_WM_ICON");
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

std::optional<unsigned long> pixel(unsigned long id, int x_in_window, int y_in_window) {
    XImage* image = XGetImage(x(), id, x_in_window, y_in_window, 1, 1, AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    const unsigned long value = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return value;
}

WindowManager::WindowManager() : process_(std::make_unique<Process>("openbox", std::vector<std::string>{"--sm-disable"})) {
    // A window manager announces itself on the root window once it manages the display.
    managing_ = wait_until([&] {
        return process_->running() && !items<long>(DefaultRootWindow(x()), "_NET_SUPPORTING_WM_CHECK").empty();
    });
}

WindowManager::~WindowManager() = default;

bool WindowManager::running() const { return managing_ && process_->running(); }

std::optional<unsigned long> managed_window(pid_t pid, std::chrono::milliseconds timeout) {
    std::optional<unsigned long> found;
    wait_until([&] {
        for (long w : items<long>(DefaultRootWindow(x()), "_NET_CLIENT_LIST"))
            if (owned_by(static_cast<Window>(w), pid)) found = static_cast<unsigned long>(w);
        return found.has_value();
    }, timeout);
    return found;
}

BellWatcher::BellWatcher() : display_(XOpenDisplay(nullptr), [](void* d) {
    if (d) XCloseDisplay(static_cast<Display*>(d));
}) {
    auto* d = static_cast<Display*>(display_.get());
    if (!d) throw std::runtime_error("no X display");
    int opcode, error, major = XkbMajorVersion, minor = XkbMinorVersion;
    XkbQueryExtension(d, &opcode, &event_base_, &error, &major, &minor);
    XkbSelectEvents(d, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
    XSync(d, False);
}

int BellWatcher::count() {
    auto* d = static_cast<Display*>(display_.get());
    for (XSync(d, False); XPending(d);) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == event_base_ + XkbEventCode && reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify)
            ++rung_;
    }
    return rung_;
}

}  // namespace kelvane::test
