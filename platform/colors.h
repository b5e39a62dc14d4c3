// Colour numbers (0x00BBGGRR, red in the low byte) and widget back colours.
#pragma once

#include <gdkmm/rgba.h>
#include <gtkmm/widget.h>

#include <cstdint>
#include <optional>

namespace kelvane {

// The colour of a colour number; none for a number outside 0 to 0xFFFFFF.
std::optional<Gdk::RGBA> colour_to_rgba(std::int32_t colour);
std::int32_t rgba_to_colour(const Gdk::RGBA& rgba);

// Paints the widget's background in the colour; false (nothing changes) for a number
// that is not a colour.
bool set_back_color(Gtk::Widget& widget, std::int32_t colour);

}  // namespace kelvane
