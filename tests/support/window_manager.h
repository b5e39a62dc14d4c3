// A real window manager on the test's own display, and the properties of a window that
// it and other programs read and write, changed from outside as another program would.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvane::test {

class Process;

// Openbox, which reports the frames it draws (_NET_FRAME_EXTENTS) as desktops do.
class WindowManager {
public:
    // Starts it and waits until it manages the display; running() says whether it did.
    WindowManager();
    ~WindowManager();
    bool running() const;

private:
    std::unique_ptr<Process> process_;
    bool managing_ = false;
};

// The window that the window manager manages for the process (shown or not).
std::optional<unsigned long> managed_window(pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// left, right, top, bottom; nothing until the window manager has set them.
std::optional<std::array<long, 4>> frame_extents(unsigned long id);
// The screen's size in pixels.
std::array<int, 2> screen_size();

// The names of the atoms a property lists (_NET_WM_STATE, _NET_WM_WINDOW_TYPE).
std::vector<std::string> atom_list(unsigned long id, const char* property);
// ICCCM's WM_STATE: 1 normal, 3 iconic; nothing before the window manager sets it.
std::optional<long> wm_state(unsigned long id);
// The title as the old property WM_NAME holds it.
std::string wm_name(unsigned long id);
// The decorations field of _MOTIF_WM_HINTS, when the hints ask for some.
std::optional<long> motif_decorations(unsigned long id);
// Whether the size hints let the user resize the window.
bool resizable(unsigned long id);

// Changes made as another program would: a title in both title properties, decoration
// hints, a window type.
bool set_title(unsigned long id, const std::string& title);
bool set_motif_decorations(unsigned long id, long decorations);
bool set_window_type(unsigned long id, const std::string& type);

}  // namespace kelvane::test
