#include "tests/support/display.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "tests/support/patience.h"

namespace kelvane::test {
namespace {

pid_t xvfb = 0;

void stop_xvfb() {
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    xvfb = 0;
}

bool display_answers(const std::string& name) {
    Display* d = XOpenDisplay(name.c_str());
    if (d) XCloseDisplay(d);
    return d != nullptr;
}

// Starts Xvfb on the display (":1234") and waits until it answers; false if it died.
bool start_xvfb(const std::string& name) {
    xvfb = fork();
    if (xvfb == 0) {
        // Ends with the test program however that ends (a time-out kills it outright), so no
        // server is left holding a display.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // -noreset: the server would otherwise reset, refusing connections for a moment,
        // when the check below disconnects as its last client.
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    bool died = false;
    const bool answers = wait_until([&] {
        died = waitpid(xvfb, nullptr, WNOHANG) != 0;
        return died || display_answers(name);
    });
    if (died) {
        xvfb = 0;
        return false;
    }
    if (!answers) stop_xvfb();
    return answers;
}

}  // namespace

void ensure_display() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return;
    // Test programs started side by side pick their displays one at a time, each from a
    // number of its own, taking the first that no server holds.
    // Read-only is enough to lock, should the file belong to another user.
    int lock = open("/tmp/kelvane-xvfb.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock < 0) lock = open("/tmp/kelvane-xvfb.lock", O_RDONLY | O_CLOEXEC);
    if (lock >= 0) flock(lock, LOCK_EX);
    const int first = 1000 + static_cast<int>(getpid() % 20000);
    for (int number = first; number < first + 100; ++number) {
        const std::string digits = std::to_string(number), name = ":" + digits;
        if (std::filesystem::exists(std::string("/tmp/.X11-unix/X") + digits) ||
            std::filesystem::exists(std::string("/tmp/.X") + digits + "-lock") || display_answers(name))
            continue;
        if (start_xvfb(name)) {
            if (lock >= 0) close(lock);
            setenv("DISPLAY", name.c_str(), 1);
            std::atexit(stop_xvfb);
            return;
        }
    }
    if (lock >= 0) close(lock);
    throw std::runtime_error("no X display: Xvfb did not start");
}

}  // namespace kelvane::test
