// The desktop around the program: the display it runs on, opening an address with the
// user's default program for it, and the system beep.
#pragma once

#include <string>

namespace kelvane {

// Windows are placed side by side and sized frame included, which only X11 lets a program
// do: in a Wayland session that also offers X11 (XWayland) the program runs on that,
// elsewhere natively on what there is. A display chosen in GDK_BACKEND goes first. Call
// before GTK starts.
void prefer_x11_display();

// Starts the desktop's default handler for the address without waiting for it; false
// when none could be started.
bool open_with_default_handler(const std::string& address);
void beep();

}  // namespace kelvane
