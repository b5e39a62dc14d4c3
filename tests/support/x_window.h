// Looks at another program's windows from outside, through the X server, and changes
// them as another program would.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/patience.h"

namespace kelvane::test {

struct XWindowInfo {
    unsigned long id = 0;
    std::string title;
    int width = 0, height = 0;
    bool viewable = false;
};

// The shown top-level window of the process, waiting for it at most the given time.
std::optional<XWindowInfo> find_window(pid_t pid, std::chrono::milliseconds timeout = kPatience);
// The shown top-level window with this title, whichever process owns it (a program that
// a launcher started), waiting for it at most the given time.
std::optional<XWindowInfo> find_window_titled(const std::string& title,
                                              std::chrono::milliseconds timeout = kPatience);
// The window's class hint: its instance name and its class name.
std::pair<std::string, std::string> window_class(unsigned long id);
// The process that the window says owns it.
std::optional<pid_t> window_pid(unsigned long id);
// The shown top-level windows of the process now.
std::vector<XWindowInfo> windows_of(pid_t pid);
// The window again, as it is now.
std::optional<XWindowInfo> window_info(unsigned long id);

// The display's size in pixels.
std::array<int, 2> screen_size();
// The names of the atoms a property lists (_NET_WM_STATE, _NET_WM_WINDOW_TYPE).
std::vector<std::string> atom_list(unsigned long id, const char* property);
// left, right, top, bottom; nothing until the window manager has set them.
std::optional<std::array<long, 4>> frame_extents(unsigned long id);
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

// A left click at a point of the window, in pixels from its top-left corner, made by the
// X server as if the user clicked.
bool click(unsigned long id, int x, int y);
// The pointer driven through the X server, as a user would: moved to a point of a
// window (pixels from its top-left corner), pressed and released.
bool pointer_move(unsigned long id, int x, int y);
bool pointer_button(int button, bool press);

// Asks the window to close, as the close box of a desktop's title bar does.
bool close_window(unsigned long id);

// The size of the largest icon the window offers the desktop (none: 0 by 0).
std::pair<int, int> window_icon_size(unsigned long id);
// The colour shown at a point of the window, as 0xRRGGBB.
std::optional<unsigned long> pixel(unsigned long id, int x, int y);

// Counts the bells rung on the display from the moment it is made.
class BellWatcher {
public:
    BellWatcher();
    // The bells rung so far. A round trip to the X server brings in every bell it rang
    // before; the ringer must first have had its own requests carried out (for this
    // process, a round trip on its connection: drain()), so none can still be on its way.
    int count();

private:
    std::unique_ptr<void, void (*)(void*)> display_;  // a connection of its own, on which the bells are told
    int event_base_ = 0, rung_ = 0;
};

}  // namespace kelvane::test
