// Gives a test program an X display of its own before GTK starts: a private Xvfb, stopped
// when the program ends. The caller's display, if any, is never used, so tests that run
// side by side never see each other's windows or move each other's pointer.
#pragma once

namespace kelvane::test {

void ensure_display();

}  // namespace kelvane::test
