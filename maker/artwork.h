// The maker's own pictures, drawn rather than shipped: the banner across the top of the
// main window and the window icon.
#pragma once

#include <gdkmm/pixbuf.h>

namespace kelvane {

Glib::RefPtr<Gdk::Pixbuf> banner_picture();
Glib::RefPtr<Gdk::Pixbuf> maker_icon();

}  // namespace kelvane
