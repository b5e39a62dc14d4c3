// Makes sure there is an X display before GTK starts: the one in DISPLAY, or a private
// Xvfb started for the test program and stopped when it ends.
#pragma once

namespace kelvane::test {

void ensure_display();

}  // namespace kelvane::test
