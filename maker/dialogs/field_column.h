// The column of labelled text fields that both option dialogs are made of.
#pragma once

#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "platform/placement.h"

namespace kelvane {

// Puts a field k-th from the top of the column (its top at 480 + 840 k twips) with its
// label just above it. A label too long for the column is cut short; its tool tip
// keeps the whole text.
void put_field(Placement& area, int k, Gtk::Label& label, const Glib::ustring& caption, Gtk::Entry& entry,
               const Glib::ustring& text, float width = 1815);

}  // namespace kelvane
