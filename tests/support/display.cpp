#include "tests/support/display.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace kelvane::test {
namespace {

pid_t xvfb = 0;

void stop_xvfb() {
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
}

}  // namespace

void ensure_display() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return;
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    xvfb = fork();
    if (xvfb == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    ssize_t n = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (n <= 0) throw std::runtime_error("Xvfb did not start");
    number[n] = 0;
    const std::string name = ":" + std::to_string(std::atoi(number));
    setenv("DISPLAY", name.c_str(), 1);
    std::atexit(stop_xvfb);
}

}  // namespace kelvane::test
