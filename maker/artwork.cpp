#include "maker/artwork.h"

#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <gdkmm/general.h>

#include <cmath>
#include <future>

namespace kelvane {
namespace {

Glib::RefPtr<Gdk::Pixbuf> to_pixbuf(const Cairo::RefPtr<Cairo::ImageSurface>& surface) {
    return Gdk::Pixbuf::create(surface, 0, 0, surface->get_width(), surface->get_height());
}

void rounded_rectangle(const Cairo::RefPtr<Cairo::Context>& cr, double x, double y, double w, double h, double r) {
    cr->begin_new_sub_path();
    cr->arc(x + w - r, y + r, r, -M_PI / 2, 0);
    cr->arc(x + w - r, y + h - r, r, 0, M_PI / 2);
    cr->arc(x + r, y + h - r, r, M_PI / 2, M_PI);
    cr->arc(x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cr->close_path();
}

struct Font {
    Cairo::FontSlant slant;
    Cairo::FontWeight weight;
    double size;
};

// Text in one colour, centred across [left, left + width] on the baseline y.
void centred_text(const Cairo::RefPtr<Cairo::Context>& cr, const char* text, const Font& font, double left,
                  double width, double y, double r, double g, double b, double a = 1) {
    cr->select_font_face("Sans", font.slant, font.weight);
    cr->set_font_size(font.size);
    Cairo::TextExtents extents;
    cr->get_text_extents(text, extents);
    cr->move_to(left + (width - extents.width) / 2 - extents.x_bearing, y);
    cr->set_source_rgba(r, g, b, a);
    cr->show_text(text);
}

constexpr Font kBold{Cairo::FONT_SLANT_NORMAL, Cairo::FONT_WEIGHT_BOLD, 16};
constexpr Font kSmall{Cairo::FONT_SLANT_NORMAL, Cairo::FONT_WEIGHT_NORMAL, 11};

void picture_button(const Cairo::RefPtr<Cairo::Context>& cr, double y, const PictureButtonText& text) {
    rounded_rectangle(cr, 96, y, 217, 49, 10);
    auto face = Cairo::LinearGradient::create(0, y, 0, y + 49);
    face->add_color_stop_rgb(0, 1, 1, 1);
    face->add_color_stop_rgb(1, 0.86, 0.90, 0.96);
    cr->set_source(face);
    cr->fill_preserve();
    cr->set_source_rgb(0.20, 0.40, 0.70);
    cr->set_line_width(2);
    cr->stroke();
    centred_text(cr, text.title, kBold, 96, 217, y + 22, 0.12, 0.23, 0.45);
    centred_text(cr, text.subtitle, kSmall, 96, 217, y + 39, 0.35, 0.40, 0.50);
}

// Cairo alone, without GDK, so that it may run before GTK has started.
Cairo::RefPtr<Cairo::ImageSurface> draw_start_menu() {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_RGB24, 400, 300);
    auto cr = Cairo::Context::create(surface);
    auto sky = Cairo::LinearGradient::create(0, 0, 0, 300);
    sky->add_color_stop_rgb(0, 0.16, 0.29, 0.55);
    sky->add_color_stop_rgb(1, 0.40, 0.62, 0.86);
    cr->set_source(sky);
    cr->paint();
    centred_text(cr, "Kelvane", {Cairo::FONT_SLANT_NORMAL, Cairo::FONT_WEIGHT_BOLD, 34}, 0, 400, 46, 1, 1, 1);
    picture_button(cr, 64, kCreateButton);
    picture_button(cr, 144, kOptionsButton);
    centred_text(cr, "Made by the Kelvane team", {Cairo::FONT_SLANT_ITALIC, Cairo::FONT_WEIGHT_NORMAL, 11}, 0, 400,
                 284, 1, 1, 1, 0.85);
    return surface;
}

std::future<Cairo::RefPtr<Cairo::ImageSurface>>& start_menu_drawing() {
    static std::future<Cairo::RefPtr<Cairo::ImageSurface>> drawing;
    return drawing;
}

}  // namespace

void begin_start_menu_picture() {
    if (!start_menu_drawing().valid()) start_menu_drawing() = std::async(std::launch::async, draw_start_menu);
}

Glib::RefPtr<Gdk::Pixbuf> start_menu_picture() {
    auto& drawing = start_menu_drawing();
    return to_pixbuf(drawing.valid() ? drawing.get() : draw_start_menu());
}

Glib::RefPtr<Gdk::Pixbuf> banner_picture() {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_RGB24, 599, 400);
    auto cr = Cairo::Context::create(surface);
    auto sky = Cairo::LinearGradient::create(0, 0, 0, 120);
    sky->add_color_stop_rgb(0, 0.16, 0.29, 0.55);
    sky->add_color_stop_rgb(1, 0.33, 0.55, 0.80);
    cr->set_source(sky);
    cr->paint();
    cr->rectangle(0, 118, 599, 282);
    cr->set_source_rgb(0xDF / 255.0, 0xDB / 255.0, 0xDB / 255.0);
    cr->fill();
    cr->select_font_face("Sans", Cairo::FONT_SLANT_NORMAL, Cairo::FONT_WEIGHT_BOLD);
    cr->set_font_size(46);
    cr->move_to(24, 64);
    cr->set_source_rgb(1, 1, 1);
    cr->show_text("Kelvane");
    cr->select_font_face("Sans", Cairo::FONT_SLANT_NORMAL, Cairo::FONT_WEIGHT_NORMAL);
    cr->set_font_size(16);
    cr->move_to(26, 96);
    cr->set_source_rgba(1, 1, 1, 0.85);
    cr->show_text("Make a web browser of your own");
    return to_pixbuf(surface);
}

Glib::RefPtr<Gdk::Pixbuf> maker_icon() {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, 64, 64);
    auto cr = Cairo::Context::create(surface);
    rounded_rectangle(cr, 2, 2, 60, 60, 12);
    cr->set_source_rgb(0.20, 0.40, 0.70);
    cr->fill();
    cr->arc(32, 32, 18, 0, 2 * M_PI);
    cr->set_source_rgb(1, 1, 1);
    cr->set_line_width(5);
    cr->stroke();
    cr->move_to(14, 32);
    cr->line_to(50, 32);
    cr->move_to(32, 14);
    cr->curve_to(22, 24, 22, 40, 32, 50);
    cr->move_to(32, 14);
    cr->curve_to(42, 24, 42, 40, 32, 50);
    cr->set_line_width(3);
    cr->stroke();
    return to_pixbuf(surface);
}

Glib::RefPtr<Gdk::Pixbuf> browser_icon() {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, 128, 128);
    auto cr = Cairo::Context::create(surface);
    // The window, with its title bar.
    rounded_rectangle(cr, 8, 14, 112, 100, 12);
    cr->set_source_rgb(0.96, 0.97, 0.99);
    cr->fill_preserve();
    cr->set_source_rgb(0.20, 0.40, 0.70);
    cr->set_line_width(4);
    cr->stroke();
    cr->rectangle(10, 16, 108, 20);
    cr->fill();
    for (double x : {22.0, 34.0, 46.0}) {
        cr->arc(x, 26, 4, 0, 2 * M_PI);
        cr->set_source_rgb(1, 1, 1);
        cr->fill();
    }
    // The globe inside it.
    auto sea = Cairo::RadialGradient::create(56, 66, 4, 64, 75, 32);
    sea->add_color_stop_rgb(0, 0.45, 0.70, 0.95);
    sea->add_color_stop_rgb(1, 0.16, 0.40, 0.75);
    cr->arc(64, 75, 30, 0, 2 * M_PI);
    cr->set_source(sea);
    cr->fill();
    cr->set_source_rgb(1, 1, 1);
    cr->set_line_width(3);
    cr->arc(64, 75, 30, 0, 2 * M_PI);
    cr->stroke();
    cr->move_to(34, 75);
    cr->line_to(94, 75);
    cr->move_to(38, 60);
    cr->line_to(90, 60);
    cr->move_to(38, 90);
    cr->line_to(90, 90);
    cr->move_to(64, 45);
    cr->curve_to(48, 58, 48, 92, 64, 105);
    cr->move_to(64, 45);
    cr->curve_to(80, 58, 80, 92, 64, 105);
    cr->move_to(64, 45);
    cr->line_to(64, 105);
    cr->set_line_width(2);
    cr->stroke();
    return to_pixbuf(surface);
}

}  // namespace kelvane
