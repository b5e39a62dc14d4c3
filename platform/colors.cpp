#include "platform/colors.h"

#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvane {
namespace {

const char* const kProviderKey = "kelvane-back-color";

double relative_luminance(const Gdk::RGBA& c) {
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.get_red()) + 0.7152 * linear(c.get_green()) + 0.0722 * linear(c.get_blue());
}

std::string hex(const Gdk::RGBA& c) {
    const std::int32_t n = rgba_to_colour(c);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF);
    return text;
}

}  // namespace

double contrast_ratio(const Gdk::RGBA& a, const Gdk::RGBA& b) {
    const double la = relative_luminance(a), lb = relative_luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Gdk::RGBA readable_text_color(const Gdk::RGBA& background) {
    const Gdk::RGBA black("#000000"), white("#ffffff");
    return contrast_ratio(background, black) >= contrast_ratio(background, white) ? black : white;
}

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
    // Only the widget's own node: an entry's selection keeps the theme's colours. Without
    // a state in the selector the rule holds in every state (hover, backdrop, pressed),
    // and its priority puts it above the theme's; shadows would blur the text.
    const Gdk::RGBA back = *colour_to_rgba(colour);
    const std::string node = gtk_widget_class_get_css_name(GTK_WIDGET_GET_CLASS(widget.gobj()));
    return provider->load_from_data(node + " { background-image: none; background-color: " + hex(back) +
                                    "; color: " + hex(readable_text_color(back)) +
                                    "; text-shadow: none; -gtk-icon-shadow: none; }");
}

}  // namespace kelvane
