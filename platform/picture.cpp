#include "platform/picture.h"

#include <gdkmm/pixbufloader.h>

#include <fstream>
#include <iterator>

namespace kelvane {
namespace {

constexpr int kMaxSide = 8192;
constexpr long long kMaxPixels = 16LL * 1024 * 1024;

}  // namespace

Glib::RefPtr<Gdk::Pixbuf> decode_picture(const Picture& picture) {
    if (picture.empty()) return {};
    auto loader = Gdk::PixbufLoader::create();
    try {
        // Refuses a huge image before its pixels are allocated: a size of zero makes the
        // image loaders stop.
        loader->signal_size_prepared().connect([&](int width, int height) {
            if (width > kMaxSide || height > kMaxSide || static_cast<long long>(width) * height > kMaxPixels)
                loader->set_size(0, 0);
        });
        loader->write(picture.bytes.data(), picture.bytes.size());
        loader->close();
        auto pixbuf = loader->get_pixbuf();
        if (!pixbuf || pixbuf->get_width() > kMaxSide || pixbuf->get_height() > kMaxSide) return {};
        return pixbuf;
    } catch (const Glib::Error&) {
        try {
            loader->close();  // a loader must be closed, also after a failed write
        } catch (const Glib::Error&) {
        }
        return {};
    }
}

Picture load_picture_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return Picture{{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
}

}  // namespace kelvane
