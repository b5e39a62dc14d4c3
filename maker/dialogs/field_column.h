// The column of labelled text fields that both option dialogs are made of.
#pragma once

#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "platform/placement.h"

namespace kelvane {

// Puts a field k-th from the top of the column (its top at 480 + 840 k twips) with its
// label in the 360 twips above it, on two lines where it needs them; the label names the
// field.
void put_field(Placement& area, int k, Gtk::Label& label, const Glib::ustring& caption, Gtk::Entry& entry,
               const Glib::ustring& text, float width = 1815);

}  // namespace kelvane
