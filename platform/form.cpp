#include "platform/form.h"

#include <gdkmm/cursor.h>
#include <gdkmm/screen.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include <array>
#include <cmath>

#include "platform/colors.h"
#include "platform/twips.h"

namespace kelvane {
namespace {

struct BorderStyle {
    bool decorated;
    bool resizable;
    Gdk::WindowTypeHint hint;
};

constexpr std::array<BorderStyle, 6> kBorderStyles{{
    {false, false, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, false, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, true, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, false, Gdk::WINDOW_TYPE_HINT_DIALOG},
    {true, false, Gdk::WINDOW_TYPE_HINT_UTILITY},
    {true, true, Gdk::WINDOW_TYPE_HINT_UTILITY},
}};

struct Pointer {
    int code;
    const char* cursor;
};

constexpr std::array<Pointer, 17> kPointers{{
    {0, "default"},      {1, "default"},     {2, "crosshair"},   {3, "text"},         {4, "default"},
    {5, "move"},         {6, "nesw-resize"}, {7, "ns-resize"},   {8, "nwse-resize"},  {9, "ew-resize"},
    {10, "n-resize"},    {11, "wait"},       {12, "not-allowed"}, {13, "progress"},    {14, "help"},
    {15, "move"},        {99, "default"},
}};

const Pointer* find_pointer(int code) {
    for (const Pointer& p : kPointers)
        if (p.code == code) return &p;
    return nullptr;
}

// The layouts are measured for a small dialog font, and panels cover what lies behind.
void install_form_style() {
    static bool installed = false;
    auto screen = Gdk::Screen::get_default();
    if (installed || !screen) return;
    installed = true;
    auto css = Gtk::CssProvider::create();
    css->load_from_data(".kelvane-form { font-size: 8pt; } .kelvane-panel { background-color: @theme_bg_color; }");
    Gtk::StyleContext::add_provider_for_screen(screen, css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

Form::Form(float client_width_twips, float client_height_twips)
    : width_(client_width_twips), height_(client_height_twips) {
    install_form_style();
    get_style_context()->add_class("kelvane-form");
    add(client_);
    client_.show();
    apply_size();
}

bool Form::set_width(float twips) {
    if (!std::isfinite(twips) || twips < 0) return false;
    width_ = twips;
    apply_size();
    return true;
}

bool Form::set_height(float twips) {
    if (!std::isfinite(twips) || twips < 0) return false;
    height_ = twips;
    apply_size();
    return true;
}

void Form::apply_size() {
    // A fixed-size window takes its content's natural size, a sizable one the size it is
    // given; so the content asks for exactly the window's size, and its minimum stays 0.
    const int w = std::max(1, twips_to_pixels(width_)), h = std::max(1, twips_to_pixels(height_));
    client_.set_natural_size(w, h);
    resize(w, h);
}

bool Form::set_border_style(int code) {
    if (code < 0 || code >= static_cast<int>(kBorderStyles.size())) return false;
    const BorderStyle& style = kBorderStyles[code];
    border_style_ = code;
    // Compared with the window itself, so a change made elsewhere is undone too.
    if (get_decorated() != style.decorated) set_decorated(style.decorated);
    if (get_resizable() != style.resizable) set_resizable(style.resizable);
    if (get_type_hint() != style.hint) {
        // The window system takes a type hint only from a window that is not mapped.
        const bool was_visible = get_visible();
        if (was_visible) hide();
        set_type_hint(style.hint);
        if (was_visible) show();
    }
    return true;
}

bool Form::set_window_state(int code) {
    switch (code) {
    case 0:
        unmaximize();
        deiconify();
        return true;
    case 1:
        iconify();
        return true;
    case 2:
        maximize();
        return true;
    default:
        return false;
    }
}

bool Form::set_mouse_pointer(int code) {
    if (!find_pointer(code)) return false;
    mouse_pointer_ = code;
    apply_pointer();
    return true;
}

void Form::apply_pointer() {
    auto window = get_window();
    if (!window) return;  // applied once the window is realized
    const Pointer* pointer = find_pointer(mouse_pointer_);
    window->set_cursor(pointer && mouse_pointer_ != 0
                           ? Gdk::Cursor::create(window->get_display(), pointer->cursor)
                           : Glib::RefPtr<Gdk::Cursor>());
}

void Form::on_realize() {
    Gtk::Window::on_realize();
    apply_pointer();
}

bool Form::set_back_color(std::int32_t colour) { return kelvane::set_back_color(*this, colour); }

void Form::set_picture(const Glib::RefPtr<Gdk::Pixbuf>& picture) { client_.set_background(picture); }

}  // namespace kelvane
