// Runs the GLib main loop from a test until a condition holds.
#pragma once

#include <chrono>
#include <functional>

#include "tests/support/patience.h"

namespace Gtk {
class Widget;
}

namespace kelvane::test {

// Iterates the default main context until done() is true or the time is up; returns
// done()'s last answer.
bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = kPatience);
// Iterates the main context for the given time: for benchmarks, which measure time.
// Tests wait on conditions instead.
void pump_for(std::chrono::milliseconds time);
// Handles everything already owed to this process: a round trip to the X server brings in
// the events its requests so far caused, then the main context runs until nothing is
// ready. What has not happened by then was not caused by anything done before the call
// (timers and other processes aside).
void drain();
// Waits until every event the X server owed the widget's window when called has been
// handled (pointer moves included, which GDK hands on only when a frame begins), what
// they changed is laid out and painted, and the X server has carried out what that asked
// of it (windows moved, shown, drawn). False if no frame came.
bool settle(Gtk::Widget& widget, std::chrono::milliseconds timeout = kPatience);

}  // namespace kelvane::test
