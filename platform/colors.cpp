#include "platform/colors.h"

#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include <cmath>
#include <cstdio>

namespace kelvane {
namespace {

const char* const kProviderKey = "kelvane-back-color";

}  // namespace

std::optional<Gdk::RGBA> colour_to_rgba(std::int32_t colour) {
    if (colour < 0 || colour > 0xFFFFFF) return std::nullopt;
    Gdk::RGBA rgba;
    rgba.set_rgba_u((colour & 0xFF) * 257, ((colour >> 8) & 0xFF) * 257, ((colour >> 16) & 0xFF) * 257);
    return rgba;
}

std::int32_t rgba_to_colour(const Gdk::RGBA& rgba) {
    auto byte = [](double v) { return static_cast<std::int32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return byte(rgba.get_red()) | (byte(rgba.get_green()) << 8) | (byte(rgba.get_blue()) << 16);
}

bool set_back_color(Gtk::Widget& widget, std::int32_t colour) {
    if (!colour_to_rgba(colour)) return false;
    // One provider per widget, replaced in place when the colour changes again.
    auto* provider = static_cast<Gtk::CssProvider*>(widget.get_data(kProviderKey));
    if (!provider) {
        auto created = Gtk::CssProvider::create();
        widget.get_style_context()->add_provider(created, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        provider = created.get();
        provider->reference();
        widget.set_data(kProviderKey, provider, [](void* p) { static_cast<Gtk::CssProvider*>(p)->unreference(); });
    }
    char css[96];
    std::snprintf(css, sizeof css, "* { background-image: none; background-color: #%02x%02x%02x; }", colour & 0xFF,
                  (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return provider->load_from_data(css);
}

}  // namespace kelvane
