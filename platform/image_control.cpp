#include "platform/image_control.h"

#include <gdkmm/general.h>

#include "platform/picture.h"

namespace kelvane {

bool ImageControl::set_Picture(const Picture& picture) {
    auto pixbuf = decode_picture(picture);
    if (!pixbuf && !picture.empty()) return false;
    picture_ = picture;
    pixbuf_ = pixbuf;
    queue_draw();
    return true;
}

bool ImageControl::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    if (!pixbuf_) return false;
    const int width = get_allocated_width(), height = get_allocated_height();
    if (stretch_ && pixbuf_->get_width() > 0 && pixbuf_->get_height() > 0) {
        cr->scale(static_cast<double>(width) / pixbuf_->get_width(), static_cast<double>(height) / pixbuf_->get_height());
    }
    Gdk::Cairo::set_source_pixbuf(cr, pixbuf_, 0, 0);
    cr->paint();
    return true;
}

}  // namespace kelvane
