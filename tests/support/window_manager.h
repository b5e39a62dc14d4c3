// A real window manager on the test's own display. What it and other programs read and
// write of a window is in x_window.h.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>

#include "tests/support/x_window.h"

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

}  // namespace kelvane::test
