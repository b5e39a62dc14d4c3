// Dialogs belong to the window that opened them.
#pragma once

#include <gtkmm/messagedialog.h>

namespace kelvane {

// The program's window that has the keyboard focus; null when none has.
Gtk::Window* focused_window();

// Makes the dialog belong to its owner: kept above it and centred on it.
// Without an owner, the window that has the focus is taken, if any.
void set_owner(Gtk::Window& dialog, Gtk::Window* owner);

// The message's text wraps within the screen however long it is, also where it has no
// blank to break at (a path, an address).
void wrap_message(Gtk::MessageDialog& dialog);

}  // namespace kelvane
