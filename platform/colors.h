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

// The WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrast_ratio(const Gdk::RGBA& a, const Gdk::RGBA& b);
// Black or white, whichever reads better on the background: at least 4.5:1 on any colour.
Gdk::RGBA readable_text_color(const Gdk::RGBA& background);

// Paints the widget's background in the colour, and its text in the colour that reads on
// it, in every state and under any theme; false (nothing changes) for a number that is
// not a colour.
bool set_back_color(Gtk::Widget& widget, std::int32_t colour);

}  // namespace kelvane
