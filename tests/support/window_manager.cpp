#include "tests/support/window_manager.h"

#include "tests/support/patience.h"
#include "tests/support/process.h"

namespace kelvane::test {

WindowManager::WindowManager() : process_(std::make_unique<Process>("openbox", std::vector<std::string>{"--sm-disable"})) {
    // A window manager announces itself on the root window once it manages the display.
    managing_ = wait_until(
        [&] { return process_->running() && !property_items(root_window(), "_NET_SUPPORTING_WM_CHECK").empty(); });
}

WindowManager::~WindowManager() = default;

bool WindowManager::running() const { return managing_ && process_->running(); }

std::optional<unsigned long> managed_window(pid_t pid, std::chrono::milliseconds timeout) {
    std::optional<unsigned long> found;
    wait_until(
        [&] {
            for (long w : property_items(root_window(), "_NET_CLIENT_LIST"))
                if (window_pid(static_cast<unsigned long>(w)) == pid) found = static_cast<unsigned long>(w);
            return found.has_value();
        },
        timeout);
    return found;
}

}  // namespace kelvane::test
