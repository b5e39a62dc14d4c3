// Runs the GLib main loop from a test until a condition holds.
#pragma once

#include <chrono>
#include <functional>

namespace kelvane::test {

// Iterates the default main context until done() is true or the time is up; returns
// done()'s last answer.
bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Iterates the main context for the given time.
void pump_for(std::chrono::milliseconds time);

}  // namespace kelvane::test
