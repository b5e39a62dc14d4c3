#include "maker/designer/handle.h"

#include <gdkmm/cursor.h>

#include "platform/mouse.h"
#include "platform/twips.h"
#include "platform/window_codes.h"

namespace kelvane {

Handle::Handle(int index) : index_(index) {
    // Shown only by the designer: never by a container showing everything in it.
    set_no_show_all(true);
    set_visible_window(true);
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::POINTER_MOTION_MASK);
}

void Handle::set_mouse_pointer(int code) {
    pointer_ = code;
    apply_pointer();
}

void Handle::on_realize() {
    Gtk::EventBox::on_realize();
    apply_pointer();
}

void Handle::apply_pointer() {
    if (const char* cursor = cursor_name(pointer_); get_window() && cursor)
        get_window()->set_cursor(Gdk::Cursor::create(get_display(), cursor));
}

bool Handle::on_button_press_event(GdkEventButton* e) {
    if (e->type == GDK_BUTTON_PRESS)
        mouse_down_.emit(index_, pressed_button(e), shift_state(e->state), pixels_to_twips(1) * e->x,
                         pixels_to_twips(1) * e->y);
    return true;
}

bool Handle::on_motion_notify_event(GdkEventMotion* e) {
    mouse_move_.emit(index_, held_buttons(e->state), shift_state(e->state), pixels_to_twips(1) * e->x,
                     pixels_to_twips(1) * e->y);
    return true;
}

bool Handle::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const double w = get_allocated_width(), h = get_allocated_height();
    cr->rectangle(0, 0, w, h);
    cr->set_source_rgb(0.10, 0.35, 0.80);
    cr->fill();
    cr->rectangle(1, 1, w - 2, h - 2);
    cr->set_source_rgb(1, 1, 1);
    cr->set_line_width(1);
    cr->stroke();
    return true;
}

}  // namespace kelvane
