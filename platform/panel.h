// A framed panel (a frame in the old sense): a container of placed controls that covers
// what lies behind it, both to the eye and to the mouse.
#pragma once

#include <gtkmm/eventbox.h>
#include <gtkmm/frame.h>

#include "platform/placement.h"

namespace kelvane {

class Panel : public Gtk::EventBox {
public:
    explicit Panel(const Glib::ustring& caption = {});
    Placement& area() { return area_; }

private:
    Gtk::Frame frame_;
    Placement area_;
};

}  // namespace kelvane
