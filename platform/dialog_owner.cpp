#include "platform/dialog_owner.h"

#include <gtkmm/label.h>

namespace kelvane {

Gtk::Window* focused_window() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && window->is_active()) return window;
    return nullptr;
}

void set_owner(Gtk::Window& dialog, Gtk::Window* owner) {
    if (!owner) owner = focused_window();
    if (!owner || owner == &dialog) return;
    dialog.set_transient_for(*owner);
    dialog.set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
}

void wrap_message(Gtk::MessageDialog& dialog) {
    // The dialog's labels already wrap between words at a readable width; a word longer
    // than that breaks too.
    for (Gtk::Widget* child : dialog.get_message_area()->get_children())
        if (auto* label = dynamic_cast<Gtk::Label*>(child)) label->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
}

}  // namespace kelvane
