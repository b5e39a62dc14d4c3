#include "tests/support/display.h"

#include <gio/gio.h>
#include <glib-unix.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace kelvane::test {

void ensure_display() {
    int ready[2];
    if (!g_unix_open_pipe(ready, FD_CLOEXEC, nullptr)) throw std::runtime_error("no pipe for Xvfb");
    // Silenced: it reports every display number it finds taken before it takes one.
    GSubprocessLauncher* launcher =
        g_subprocess_launcher_new(GSubprocessFlags(G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_take_fd(launcher, ready[1], 3);
    // Ends with the test program however that ends (a time-out kills it outright), so no
    // server is left holding a display.
    g_subprocess_launcher_set_child_setup(launcher, [](gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }, nullptr, nullptr);
    // Xvfb takes a display number that no other server holds and writes it to fd 3 once it
    // accepts connections. -noreset: it would otherwise reset, refusing connections for a
    // moment, whenever its last client leaves.
    GSubprocess* xvfb = g_subprocess_launcher_spawn(launcher, nullptr, "Xvfb", "-displayfd", "3", "-screen", "0",
                                                    "1280x1024x24", "-nolisten", "tcp", "-noreset", nullptr);
    g_object_unref(launcher);  // closes this side's copy of the write end: EOF if Xvfb dies
    std::string number;
    char c;
    while (xvfb && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (xvfb && number.empty()) g_subprocess_force_exit(xvfb);
    if (number.empty()) throw std::runtime_error("no X display: Xvfb did not start");
    // The caller's session, if any, is none of the tests' business.
    setenv("DISPLAY", (":" + number).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
}

}  // namespace kelvane::test
