// How long tests wait for what they expect.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kelvane::test {

// Long enough for a machine busy with other builds and tests: a test that passes never
// waits it out, so it costs nothing.
inline constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(60);

// Asks until the condition holds or the time is up, without running this process's main
// loop: for what another process or the X server brings about. Returns the last answer.
inline bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace kelvane::test
