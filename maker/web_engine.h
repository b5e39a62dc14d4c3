// The web engine (WebKit and GStreamer), loaded by the maker when it first needs it.
//
// The maker's start menu shows neither a page nor a player, and loading the engine's
// libraries takes about as long as the rest of the maker's start-up. So the maker is not
// linked with them: its calls into them go through stubs (web_engine_functions.h lists
// them), which the loader points at the real functions. The libraries load in the
// background once the start menu is up; the first window that shows a page waits for
// them.
#pragma once

#include <string>

namespace kelvane {

// Starts loading the engine on a thread of its own; later calls do nothing.
void begin_loading_web_engine();
// Waits for the engine, loading it first if that has not begun. Empty when it is ready;
// otherwise what failed.
std::string wait_for_web_engine();

}  // namespace kelvane
