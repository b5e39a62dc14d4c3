// The desktop around the program: opening an address with the user's default program
// for it, and the system beep.
#pragma once

#include <string>

namespace kelvane {

// Starts the desktop's default handler for the address without waiting for it; false
// when none could be started.
bool open_with_default_handler(const std::string& address);
void beep();

}  // namespace kelvane
