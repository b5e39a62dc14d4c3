#include "tests/support/pump.h"

#include <glibmm/main.h>

#include <thread>

namespace kelvane::test {

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto context = Glib::MainContext::get_default();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!context->iteration(false)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void pump_for(std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    pump_until([&] { return std::chrono::steady_clock::now() >= end; }, time + std::chrono::seconds(1));
}

}  // namespace kelvane::test
