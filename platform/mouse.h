// Mouse buttons and modifier keys counted the way the windows' mouse handlers take them.
#pragma once

#include <gdk/gdk.h>

namespace kelvane {

enum MouseButton { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

int pressed_button(const GdkEventButton* event);  // the button that went down
int held_buttons(unsigned state);                 // every button held, added up
int shift_state(unsigned state);                  // shift 1, control 2, alt 4, added up

}  // namespace kelvane
