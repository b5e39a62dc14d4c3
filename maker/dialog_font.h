// The maker's own windows are laid out in twips for a narrow dialog font (the widths of
// Arial at 8 pt): with it every caption and label can be read whole, wrapping onto a
// second line where its control is tall enough.
#pragma once

#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

namespace kelvane {

// Gives the window and everything in it the dialog font.
void use_dialog_font(Gtk::Window& window);
// The caption breaks between words instead of being cut short.
void wrap_caption(Gtk::Button& button);
void wrap_caption(Gtk::Label& label);

}  // namespace kelvane
