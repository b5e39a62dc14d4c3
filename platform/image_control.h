// An image control: holds a picture as the bytes of its image file (so it can be stored
// and handed on unchanged) and shows it, at its own size or stretched to the control.
#pragma once

#include <gtkmm/drawingarea.h>

#include "common/settings_record.h"

namespace kelvane {

class ImageControl : public Gtk::DrawingArea {
public:
    explicit ImageControl(bool stretch = false) : stretch_(stretch) {}

    // False, and nothing changes, when the bytes are no picture.
    bool set_Picture(const Picture& picture);
    const Picture& picture() const { return picture_; }
    const Glib::RefPtr<Gdk::Pixbuf>& pixbuf() const { return pixbuf_; }

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;

private:
    bool stretch_;
    Picture picture_;
    Glib::RefPtr<Gdk::Pixbuf> pixbuf_;
};

}  // namespace kelvane
