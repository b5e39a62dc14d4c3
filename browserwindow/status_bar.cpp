#include "browserwindow/status_bar.h"

#include <gtkmm/stylecontext.h>

namespace kelvane {

StatusBar::StatusBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 2) {
    // The desktop's own background, as status bars have, so that the text reads on any
    // colour the program has.
    get_style_context()->add_class("kelvane-panel");
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        Panel& panel = panels_[i];
        panel.label.set_xalign(0);
        panel.label.set_ellipsize(Pango::ELLIPSIZE_END);
        panel.label.set_single_line_mode(true);
        panel.frame.set_shadow_type(Gtk::SHADOW_IN);
        panel.frame.add(panel.label);
        pack_start(panel.frame, i == 0 ? Gtk::PACK_EXPAND_WIDGET : Gtk::PACK_SHRINK);
    }
    panels_[1].label.set_width_chars(15);
    show_all_children();
}

bool StatusBar::set_panel_text(int panel, const Glib::ustring& text) {
    if (panel < 1 || panel > static_cast<int>(panels_.size())) return false;
    panels_[panel - 1].label.set_text(text);
    return true;
}

Glib::ustring StatusBar::panel_text(int panel) const {
    if (panel < 1 || panel > static_cast<int>(panels_.size())) return {};
    return panels_[panel - 1].label.get_text();
}

void StatusBar::set_secure(bool secure) { set_panel_text(2, secure ? "Secure Website " : ""); }

}  // namespace kelvane
