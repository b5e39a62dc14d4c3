#include "tests/support/window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <glib.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "tests/support/patience.h"
#include "tests/support/process.h"

namespace kelvane::test {
namespace {

struct DisplayClose {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayClose>;

// The 32-bit items of a property (as longs, the way Xlib hands them out).
std::vector<long> longs(Display* d, Window w, const char* name, Atom type) {
    Atom atom = XInternAtom(d, name, False), actual;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(d, w, atom, 0, 1024, False, type, &actual, &format, &count, &after, &data) == Success &&
        data && format == 32)
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data) XFree(data);
    return values;
}

template <typename Read>
auto with_display(Read read) -> decltype(read(static_cast<Display*>(nullptr))) {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return {};
    return read(display.get());
}

bool change(Display* d, unsigned long id, const char* name, Atom type, int format, const void* data, int count) {
    XChangeProperty(d, id, XInternAtom(d, name, False), type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), count);
    XSync(d, False);
    return true;
}

std::filesystem::path find_program(const std::string& name) {
    std::unique_ptr<gchar, decltype(&g_free)> found(g_find_program_in_path(name.c_str()), g_free);
    return found ? std::filesystem::path(found.get()) : std::filesystem::path("/usr/bin") / name;
}

}  // namespace

WindowManager::WindowManager()
    : process_(std::make_unique<Process>(find_program("openbox"), std::vector<std::string>{"--sm-disable"})) {
    // A window manager announces itself on the root window once it manages the display.
    managing_ = wait_until(
        [&] {
            return process_->running() && with_display([](Display* d) {
                       return !longs(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
                   });
        },
        kPatience);
}

WindowManager::~WindowManager() = default;

bool WindowManager::running() const { return managing_ && process_->running(); }

std::optional<unsigned long> managed_window(pid_t pid, std::chrono::milliseconds timeout) {
    std::optional<unsigned long> found;
    wait_until(
        [&] {
            found = with_display([pid](Display* d) -> std::optional<unsigned long> {
                for (long w : longs(d, DefaultRootWindow(d), "_NET_CLIENT_LIST", XA_WINDOW)) {
                    const auto owner = longs(d, static_cast<Window>(w), "_NET_WM_PID", XA_CARDINAL);
                    if (!owner.empty() && owner[0] == pid) return static_cast<unsigned long>(w);
                }
                return std::nullopt;
            });
            return found.has_value();
        },
        timeout);
    return found;
}

std::optional<std::array<long, 4>> frame_extents(unsigned long id) {
    return with_display([id](Display* d) -> std::optional<std::array<long, 4>> {
        const auto v = longs(d, id, "_NET_FRAME_EXTENTS", XA_CARDINAL);
        if (v.size() != 4) return std::nullopt;
        return std::array<long, 4>{v[0], v[1], v[2], v[3]};
    });
}

std::array<int, 2> screen_size() {
    return with_display([](Display* d) {
        return std::array<int, 2>{DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    });
}

std::vector<std::string> atom_list(unsigned long id, const char* property) {
    return with_display([&](Display* d) {
        std::vector<std::string> names;
        for (long atom : longs(d, id, property, XA_ATOM)) {
            char* name = XGetAtomName(d, static_cast<Atom>(atom));
            if (name) names.emplace_back(name);
            if (name) XFree(name);
        }
        return names;
    });
}

std::optional<long> wm_state(unsigned long id) {
    return with_display([id](Display* d) -> std::optional<long> {
        const auto v = longs(d, id, "WM_STATE", XInternAtom(d, "WM_STATE", False));
        if (v.empty()) return std::nullopt;
        return v[0];
    });
}

std::string wm_name(unsigned long id) {
    return with_display([id](Display* d) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(d, id, &name) && name) title = name;
        if (name) XFree(name);
        return title;
    });
}

std::optional<long> motif_decorations(unsigned long id) {
    return with_display([id](Display* d) -> std::optional<long> {
        const auto v = longs(d, id, "_MOTIF_WM_HINTS", AnyPropertyType);
        constexpr long kDecorationsFlag = 1 << 1;
        if (v.size() < 3 || !(v[0] & kDecorationsFlag)) return std::nullopt;
        return v[2];
    });
}

bool resizable(unsigned long id) {
    return with_display([id](Display* d) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(d, id, &hints, &supplied)) return true;
        const bool fixed = (hints.flags & PMinSize) && (hints.flags & PMaxSize) &&
                           hints.min_width == hints.max_width && hints.min_height == hints.max_height;
        return !fixed;
    });
}

bool set_title(unsigned long id, const std::string& title) {
    return with_display([&](Display* d) {
        XStoreName(d, id, title.c_str());
        return change(d, id, "_NET_WM_NAME", XInternAtom(d, "UTF8_STRING", False), 8, title.data(),
                      static_cast<int>(title.size()));
    });
}

bool set_motif_decorations(unsigned long id, long decorations) {
    constexpr long kDecorationsFlag = 1 << 1;
    const long hints[5] = {kDecorationsFlag, 0, decorations, 0, 0};
    return with_display([&](Display* d) {
        return change(d, id, "_MOTIF_WM_HINTS", XInternAtom(d, "_MOTIF_WM_HINTS", False), 32, hints, 5);
    });
}

bool set_window_type(unsigned long id, const std::string& type) {
    return with_display([&](Display* d) {
        const long atom = static_cast<long>(XInternAtom(d, type.c_str(), False));
        return change(d, id, "_NET_WM_WINDOW_TYPE", XA_ATOM, 32, &atom, 1);
    });
}

}  // namespace kelvane::test
