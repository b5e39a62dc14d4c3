// A top-level window whose client area places its controls in twips, with the window
// codes of the browser and the maker: border style, window state and mouse pointer.
#pragma once

#include <gtkmm/window.h>

#include <cstdint>

#include "platform/placement.h"

namespace kelvane {

class Form : public Gtk::Window {
public:
    Form(float client_width_twips, float client_height_twips);

    Placement& client() { return client_; }

    // The window's size in twips; false for a negative or non-finite value.
    bool set_width(float twips);
    bool set_height(float twips);
    float width() const { return width_; }
    float height() const { return height_; }

    // 0 none, 1 fixed single, 2 sizable, 3 fixed dialog, 4 fixed tool window,
    // 5 sizable tool window; false for any other code.
    bool set_border_style(int code);
    int border_style() const { return border_style_; }

    // 0 normal, 1 minimised, 2 maximised; false for any other code.
    bool set_window_state(int code);

    // The mouse pointer codes 0 to 15 and 99; false for any other code.
    bool set_mouse_pointer(int code);
    int mouse_pointer() const { return mouse_pointer_; }

    bool set_back_color(std::int32_t colour);
    // The background picture, drawn unscaled at the top-left corner; none clears it.
    void set_picture(const Glib::RefPtr<Gdk::Pixbuf>& picture);

protected:
    void on_realize() override;

private:
    void apply_size();
    void apply_pointer();

    Placement client_;
    float width_, height_;
    int border_style_ = 2;
    int mouse_pointer_ = 0;
};

}  // namespace kelvane
