#include "platform/panel.h"

namespace kelvane {

Panel::Panel() {
    // A window of its own, so the panel hides and catches the mouse over what it covers.
    set_visible_window(true);
    frame_.add(area_);
    add(frame_);
    show_all_children();
}

}  // namespace kelvane
