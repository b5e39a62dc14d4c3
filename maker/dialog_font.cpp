#include "maker/dialog_font.h"

#include <gdkmm/screen.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

namespace kelvane {

void use_dialog_font(Gtk::Window& window) {
    static const bool installed = [] {
        auto screen = Gdk::Screen::get_default();
        if (!screen) return false;
        auto css = Gtk::CssProvider::create();
        // Buttons and check boxes give their caption the room of two lines where they are
        // that tall.
        css->load_from_data(".kelvane-dialog { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 8pt; }"
                            ".kelvane-dialog button { padding: 0 3px; }"
                            ".kelvane-dialog checkbutton { padding-top: 0; padding-bottom: 0; }");
        Gtk::StyleContext::add_provider_for_screen(screen, css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        return true;
    }();
    if (installed) window.get_style_context()->add_class("kelvane-dialog");
}

void wrap_caption(Gtk::Label& label) {
    label.set_ellipsize(Pango::ELLIPSIZE_NONE);
    label.set_line_wrap(true);
    label.set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    // Lines a little closer than the font's own spacing, so that two of them fit the 360
    // twips above a field and a check box's 375.
    Pango::AttrList attributes(pango_attr_list_new(), false);
    pango_attr_list_insert(attributes.gobj(), pango_attr_line_height_new(0.85));
    label.set_attributes(attributes);
}

void wrap_caption(Gtk::Button& button) {
    auto* label = dynamic_cast<Gtk::Label*>(button.get_child());
    if (!label) return;
    wrap_caption(*label);
    // A check box's caption stands beside its box; a button's is centred on it.
    if (!dynamic_cast<Gtk::CheckButton*>(&button)) label->set_justify(Gtk::JUSTIFY_CENTER);
}

}  // namespace kelvane
