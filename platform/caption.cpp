#include "platform/caption.h"

#include <gtkmm/label.h>

namespace kelvane {

void set_caption(Gtk::Button& button, const Glib::ustring& caption) {
    button.set_label(caption);
    if (auto* label = dynamic_cast<Gtk::Label*>(button.get_child())) label->set_ellipsize(Pango::ELLIPSIZE_END);
}

Glib::ustring caption(const Gtk::Button& button) { return button.get_label(); }

}  // namespace kelvane
