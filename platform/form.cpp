#include "platform/form.h"

#include <gdkmm/cursor.h>
#include <gdkmm/screen.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include <array>
#include <cmath>

#include "platform/colors.h"
#include "platform/twips.h"
#include "platform/window_codes.h"

namespace kelvane {
namespace {

struct BorderLook {
    bool decorated;
    bool resizable;
    Gdk::WindowTypeHint hint;
};

// Indexed by the border code, vbBSNone to vbSizableToolWindow.
constexpr std::array<BorderLook, 6> kBorderLooks{{
    {false, false, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, false, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, true, Gdk::WINDOW_TYPE_HINT_NORMAL},
    {true, false, Gdk::WINDOW_TYPE_HINT_DIALOG},
    {true, false, Gdk::WINDOW_TYPE_HINT_UTILITY},
    {true, true, Gdk::WINDOW_TYPE_HINT_UTILITY},
}};

// The layouts are measured for a small dialog font. Panels cover what lies behind them in
// the theme's own colours, text and background together, so their text reads also on a
// window painted in another colour.
void install_form_style() {
    static bool installed = false;
    auto screen = Gdk::Screen::get_default();
    if (installed || !screen) return;
    installed = true;
    auto css = Gtk::CssProvider::create();
    css->load_from_data(".kelvane-form { font-size: 8pt; }"
                        ".kelvane-panel { background-color: @theme_bg_color; color: @theme_fg_color; }");
    Gtk::StyleContext::add_provider_for_screen(screen, css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

Form::Form(float client_width_twips, float client_height_twips)
    : width_(client_width_twips), height_(client_height_twips) {
    install_form_style();
    get_style_context()->add_class("kelvane-form");
    // The frame and the title and border properties are watched, not polled.
    add_events(Gdk::PROPERTY_CHANGE_MASK);
    add(client_);
    client_.show();
    apply_size();
}

bool Form::set_width(float twips) {
    if (!drawable_twips(twips) || twips < 0) return false;
    width_ = twips;
    outer_width_ = true;
    apply_size();
    return true;
}

bool Form::set_height(float twips) {
    if (!drawable_twips(twips) || twips < 0) return false;
    height_ = twips;
    outer_height_ = true;
    apply_size();
    return true;
}

void Form::apply_size() {
    if (full_screen()) return;  // the window manager gives the size; this one comes back after
    // A fixed-size window takes its content's natural size, a sizable one the size it is
    // given; so the content asks for exactly the client area's size, and its minimum stays 0.
    const int w = twips_to_pixels(width_) - (outer_width_ ? frame_.left + frame_.right : 0);
    const int h = twips_to_pixels(height_) - (outer_height_ ? frame_.top + frame_.bottom : 0);
    client_.set_natural_size(std::max(1, w), std::max(1, h));
    resize(std::max(1, w), std::max(1, h));
}

void Form::frame_changed() {
    auto window = get_window();
    if (!window) return;
    // A maximised or full-screen window has the size that the window manager gives it;
    // its frame there says nothing about the size it has otherwise.
    if (window->get_state() & (Gdk::WINDOW_STATE_MAXIMIZED | Gdk::WINDOW_STATE_FULLSCREEN)) return;
    const FrameExtents frame = frame_extents(window);
    if (frame == frame_) return;
    frame_ = frame;
    if (outer_width_ || outer_height_) apply_size();
}

bool Form::set_border_style(int code) {
    if (code < vbBSNone || code > vbSizableToolWindow) return false;
    border_style_ = code;
    if (!full_screen()) apply_border();
    return true;
}

void Form::apply_border() {
    const BorderLook& style = kBorderLooks[border_style_];
    // Compared with the window itself, so a change made elsewhere is undone too.
    if (get_decorated() != style.decorated) set_decorated(style.decorated);
    if (get_resizable() != style.resizable) set_resizable(style.resizable);
    if (get_type_hint() != style.hint) {
        // The window manager reads the type when it takes a window on, so a shown window
        // is withdrawn and shown again. Only on the window system's side: the widget stays
        // shown, since hiding an application's last window ends the application.
        auto window = get_window();
        const bool shown = window && get_mapped();
        if (shown) window->withdraw();
        set_type_hint(style.hint);
        if (shown) window->show();
    }
}

void Form::set_full_screen(bool on) {
    if (on) {
        full_screen_ = FullScreenState::On;
        set_resizable(true);  // a window of a fixed size cannot cover the screen
        fullscreen();
        return;
    }
    if (full_screen_ != FullScreenState::On) return;
    auto window = get_window();
    if (window && (window->get_state() & Gdk::WINDOW_STATE_FULLSCREEN)) {
        full_screen_ = FullScreenState::Leaving;
        unfullscreen();
        return;
    }
    full_screen_ = FullScreenState::Off;
    apply_border();
    apply_size();
}

bool Form::on_window_state_event(GdkEventWindowState* event) {
    const bool left = (event->changed_mask & GDK_WINDOW_STATE_FULLSCREEN) &&
                      !(event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN);
    if (left && full_screen_ == FullScreenState::Leaving) {
        full_screen_ = FullScreenState::Off;
        apply_border();
        apply_size();
    }
    return Gtk::Window::on_window_state_event(event);
}

bool Form::set_window_state(int code) {
    switch (code) {
    case vbNormal:
        unmaximize();
        deiconify();
        return true;
    case vbMinimized:
        iconify();
        return true;
    case vbMaximized:
        maximize();
        return true;
    default:
        return false;
    }
}

bool Form::set_mouse_pointer(int code) {
    if (!cursor_name(code)) return false;
    mouse_pointer_ = code;
    apply_pointer();
    return true;
}

void Form::apply_pointer() {
    auto window = get_window();
    if (!window) return;  // applied once the window is realized
    window->set_cursor(mouse_pointer_ != vbDefault
                           ? Gdk::Cursor::create(window->get_display(), cursor_name(mouse_pointer_))
                           : Glib::RefPtr<Gdk::Cursor>());
}

void Form::on_realize() {
    Gtk::Window::on_realize();
    apply_pointer();
    frame_changed();
}

void Form::guard_title_and_border() {
    keep_shown_ = true;
    if (!get_window()) return;
    show_own_title();
    show_own_decorations();
    show_own_type_hint();
}

bool Form::on_property_notify_event(GdkEventProperty* event) {
    struct Kept {
        const char* property;
        void (Form::*show_own)();
    };
    static const std::array<Kept, 4> kept{{
        {"WM_NAME", &Form::show_own_title},
        {"_NET_WM_NAME", &Form::show_own_title},
        {"_MOTIF_WM_HINTS", &Form::show_own_decorations},
        {"_NET_WM_WINDOW_TYPE", &Form::show_own_type_hint},
    }};
    const auto is = [event](const char* property) { return event->atom == gdk_atom_intern_static_string(property); };
    if (is("_NET_FRAME_EXTENTS")) frame_changed();
    for (const Kept& k : kept) {
        if (!keep_shown_ || !is(k.property)) continue;
        // Every change is heard of, this window's own too; those need no answer, and
        // answering them could go on for ever where the window system stores a title
        // other than it was given (Latin-1 without control characters).
        if (int& own = own_changes_[k.property]; own > 0)
            --own;
        else
            (this->*k.show_own)();
    }
    return Gtk::Window::on_property_notify_event(event);
}

void Form::show_own_title() {
    auto window = get_window();
    if (!window) return;
    const Glib::ustring title = get_title();
    if (title_property(window, "_NET_WM_NAME") == title && title_property(window, "WM_NAME") == title) return;
    window->set_title(title);
    ++own_changes_["_NET_WM_NAME"];
    ++own_changes_["WM_NAME"];
}

void Form::show_own_decorations() {
    auto window = get_window();
    if (!window) return;
    // GTK leaves a decorated window without decoration hints, or asks for all of them.
    Gdk::WMDecoration shown{};
    const bool hinted = window->get_decorations(shown);
    const bool decorated = !hinted || shown == Gdk::DECOR_ALL, undecorated = hinted && shown == Gdk::WMDecoration(0);
    if (get_decorated() ? decorated : undecorated) return;
    window->set_decorations(get_decorated() ? Gdk::DECOR_ALL : Gdk::WMDecoration(0));
    ++own_changes_["_MOTIF_WM_HINTS"];
}

void Form::show_own_type_hint() {
    auto window = get_window();
    if (!window || window->get_type_hint() == get_type_hint()) return;
    // A window manager that takes a new type from a shown window takes it back the same way.
    window->set_type_hint(get_type_hint());
    ++own_changes_["_NET_WM_WINDOW_TYPE"];
}

bool Form::set_back_color(std::int32_t colour) { return kelvane::set_back_color(*this, colour); }

void Form::set_picture(const Glib::RefPtr<Gdk::Pixbuf>& picture) { client_.set_background(picture); }

}  // namespace kelvane
