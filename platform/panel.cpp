#include "platform/panel.h"

namespace kelvane {

Panel::Panel(const Glib::ustring& caption) {
    if (!caption.empty()) frame_.set_label(caption);
    // A window of its own, so the panel hides and catches the mouse over what it covers.
    set_visible_window(true);
    get_style_context()->add_class("kelvane-panel");
    frame_.add(area_);
    add(frame_);
    show_all_children();
}

}  // namespace kelvane
