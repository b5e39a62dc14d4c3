// Looks at another program's windows from outside, through the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace kelvane::test {

struct XWindowInfo {
    unsigned long id = 0;
    std::string title;
    int width = 0, height = 0;
    bool viewable = false;
};

// The shown top-level window of the process, waiting for it at most the given time.
std::optional<XWindowInfo> find_window(pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(20));
// The window again, as it is now.
std::optional<XWindowInfo> window_info(unsigned long id);
// A left click at a point of the window, in pixels from its top-left corner, made by the
// X server as if the user clicked.
bool click(unsigned long id, int x, int y);

}  // namespace kelvane::test
