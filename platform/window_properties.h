// What the window system holds about a top-level window, read back from it: the title
// that the desktop shows and the frame that the window manager draws around it. Any
// program may change these on the window system's side without the window knowing.
#pragma once

#include <gdkmm/window.h>

#include <optional>

namespace kelvane {

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

// The frame that the window manager reports around the window; none without one.
FrameExtents frame_extents(const Glib::RefPtr<Gdk::Window>& window);

// The text of a title property ("WM_NAME" or "_NET_WM_NAME") in UTF-8; nothing when the
// property is missing or holds no text.
std::optional<Glib::ustring> title_property(const Glib::RefPtr<Gdk::Window>& window, const char* property);

}  // namespace kelvane
