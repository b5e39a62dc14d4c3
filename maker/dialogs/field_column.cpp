#include "maker/dialogs/field_column.h"

#include <atkmm/object.h>

#include "maker/dialog_font.h"

namespace kelvane {

void put_field(Placement& area, int k, Gtk::Label& label, const Glib::ustring& caption, Gtk::Entry& entry,
               const Glib::ustring& text, float width) {
    const float top = 480 + 840 * static_cast<float>(k);
    label.set_text(caption);
    label.set_xalign(0);
    label.set_yalign(1);  // one line sits just above the field; a longer caption takes two
    wrap_caption(label);
    entry.set_text(text);
    entry.set_width_chars(1);
    // The caption names the field for assistive technologies, which also learn which
    // label it is.
    label.set_mnemonic_widget(entry);
    entry.get_accessible()->set_name(caption);
    area.put(label, {120, top - 360, 1815, 360});
    area.put(entry, {120, top, width, 375});
}

}  // namespace kelvane
