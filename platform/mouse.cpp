#include "platform/mouse.h"

namespace kelvane {

int pressed_button(const GdkEventButton* event) {
    switch (event->button) {
    case 1: return vbLeftButton;
    case 2: return vbMiddleButton;
    case 3: return vbRightButton;
    default: return 0;
    }
}

int held_buttons(unsigned state) {
    return (state & GDK_BUTTON1_MASK ? vbLeftButton : 0) | (state & GDK_BUTTON3_MASK ? vbRightButton : 0) |
           (state & GDK_BUTTON2_MASK ? vbMiddleButton : 0);
}

int shift_state(unsigned state) {
    return (state & GDK_SHIFT_MASK ? 1 : 0) | (state & GDK_CONTROL_MASK ? 2 : 0) | (state & GDK_MOD1_MASK ? 4 : 0);
}

}  // namespace kelvane
