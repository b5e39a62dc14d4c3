// A status bar of two panels: the first, wide one for the status text, the second for
// the security of the page shown.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/frame.h>
#include <gtkmm/label.h>

#include <array>

namespace kelvane {

class StatusBar : public Gtk::Box {
public:
    StatusBar();

    // Panels are numbered from 1; false for a panel that does not exist.
    bool set_panel_text(int panel, const Glib::ustring& text);
    Glib::ustring panel_text(int panel) const;

    // The second panel says "Secure Website " only while the page is secure.
    void set_secure(bool secure);

private:
    struct Panel {
        Gtk::Frame frame;
        Gtk::Label label;
    };
    std::array<Panel, 2> panels_;
};

}  // namespace kelvane
