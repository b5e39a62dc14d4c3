// Gives a test program a home folder of its own, so that what the programs under test
// keep (sessions, downloads, menu entries) never meets the user's or another test's.
#pragma once

namespace kelvane::test {

// Points HOME and the XDG data, cache, config and runtime folders into a fresh folder,
// removed when the program ends. Call before GTK starts.
void isolate_home();

}  // namespace kelvane::test
