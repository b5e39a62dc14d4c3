// A top-level window whose client area places its controls in twips, with the window
// codes of the browser and the maker: border style, window state and mouse pointer.
#pragma once

#include <gtkmm/window.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/placement.h"
#include "platform/window_codes.h"
#include "platform/window_properties.h"

namespace kelvane {

class Form : public Gtk::Window {
public:
    // The design gives the size of the client area.
    Form(float client_width_twips, float client_height_twips);

    Placement& client() { return client_; }

    // The window's outer size in twips: the client area is smaller by the frame that the
    // window manager reports drawing around it. False for a negative value, or one that
    // is not finite or beyond what the window system can draw.
    bool set_width(float twips);
    bool set_height(float twips);
    float width() const { return width_; }
    float height() const { return height_; }

    // A BorderStyle code; false for any other. A shown window stays shown.
    bool set_border_style(int code);
    int border_style() const { return border_style_; }

    // A WindowState code; false for any other.
    bool set_window_state(int code);

    // A MousePointer code; false for any other.
    bool set_mouse_pointer(int code);
    int mouse_pointer() const { return mouse_pointer_; }

    bool set_back_color(std::int32_t colour);
    // The background picture, drawn unscaled at the top-left corner; none clears it.
    void set_picture(const Glib::RefPtr<Gdk::Pixbuf>& picture);

    // From now on, a title, decoration or window type that another program gives the
    // window on the window system's side is written back at once.
    void guard_title_and_border();

    // Covers the screen, whatever the border, for a page that asks for it. While it does,
    // a border style that is set is kept for later; leaving gives back the border and the
    // size once the window system has left full screen.
    void set_full_screen(bool on);
    bool full_screen() const { return full_screen_ != FullScreenState::Off; }

protected:
    void on_realize() override;
    bool on_property_notify_event(GdkEventProperty* event) override;
    bool on_window_state_event(GdkEventWindowState* event) override;

private:
    void apply_size();
    void apply_pointer();
    void frame_changed();
    void apply_border();
    // Each writes the window's own value back when the window system shows another.
    void show_own_title();
    void show_own_decorations();
    void show_own_type_hint();

    Placement client_;
    float width_, height_;
    // Whether width and height are outer sizes yet, or still the design's client area.
    bool outer_width_ = false, outer_height_ = false;
    FrameExtents frame_;
    int border_style_ = vbSizable;
    int mouse_pointer_ = vbDefault;
    bool keep_shown_ = false;
    enum class FullScreenState { Off, On, Leaving } full_screen_ = FullScreenState::Off;
    // Changes of watched properties that this window made itself and has yet to hear of.
    std::map<std::string, int> own_changes_;
};

}  // namespace kelvane
