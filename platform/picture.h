// Turning a stored picture (the bytes of an image file) into an image.
#pragma once

#include <gdkmm/pixbuf.h>

#include "common/settings_record.h"

namespace kelvane {

// The image, or none for an empty picture, bytes that do not decode, or an image too
// large to be reasonable for an icon or a window background.
Glib::RefPtr<Gdk::Pixbuf> decode_picture(const Picture& picture);

// The bytes of an image file as a picture; an empty picture when it cannot be read.
Picture load_picture_file(const std::string& path);

}  // namespace kelvane
