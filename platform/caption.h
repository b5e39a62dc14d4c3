// Button captions: a caption longer than its button is cut short with an ellipsis
// instead of widening the button the user placed.
#pragma once

#include <gtkmm/button.h>

namespace kelvane {

void set_caption(Gtk::Button& button, const Glib::ustring& caption);
Glib::ustring caption(const Gtk::Button& button);

}  // namespace kelvane
