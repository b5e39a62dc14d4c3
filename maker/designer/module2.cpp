#include "maker/designer/module2.h"

#include <gdkmm/cursor.h>

#include <array>
#include <cmath>

#include "maker/mainwindow/main_window.h"

namespace kelvane {
namespace {

// Clockwise from the top-left corner, then the centre: each handle's pointer code, and
// where it stands as fractions of the control's width and height (less a handle's side
// where it sits before an edge).
struct HandleRole {
    int pointer;
    float across, down;  // 0 = before the left/top edge, 0.5 = centred, 1 = after the right/bottom edge
};
constexpr std::array<HandleRole, 9> kRoles{{
    {8, 0, 0}, {7, 0.5f, 0}, {6, 1, 0}, {9, 1, 0.5f}, {8, 1, 1}, {7, 0.5f, 1}, {6, 0, 1}, {9, 0, 0.5f}, {15, 0.5f, 0.5f},
}};

float handle_position(float start, float size, float where, float side) {
    if (where == 0) return start - side;
    if (where == 1) return start + size;
    return start + size / 2 - side / 2;
}

}  // namespace

Handle::Handle(int index) : index_(index) {
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
    if (!get_window()) return;
    static const std::array<std::pair<int, const char*>, 5> cursors{
        {{6, "nesw-resize"}, {7, "ns-resize"}, {8, "nwse-resize"}, {9, "ew-resize"}, {15, "move"}}};
    for (auto [code, name] : cursors)
        if (code == pointer_) get_window()->set_cursor(Gdk::Cursor::create(get_display(), name));
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

int pressed_button(const GdkEventButton* event) {
    switch (event->button) {
    case 1: return vbLeftButton;
    case 2: return vbMiddleButton;
    case 3: return vbRightButton;
    default: return 0;
    }
}

int held_buttons(unsigned state) {
    return (state & GDK_BUTTON1_MASK ? vbLeftButton : 0) | (state & GDK_BUTTON3_MASK ? vbRightButton : 0) |
           (state & GDK_BUTTON2_MASK ? vbMiddleButton : 0);
}

int shift_state(unsigned state) {
    return (state & GDK_SHIFT_MASK ? 1 : 0) | (state & GDK_CONTROL_MASK ? 2 : 0) | (state & GDK_MOD1_MASK ? 4 : 0);
}

void Module2::SelectControl(Gtk::Widget& control, MainWindow& form) {
    CreateHandles(form);
    selected_ = &control;
    PlaceHandles(control, form);
}

void Module2::CreateHandles(MainWindow& form) {
    Placement& container = form.Frame1.area();
    for (int i = 0; i < static_cast<int>(kRoles.size()); ++i) {
        // Handle 0 is part of the window; the others are made once, on the first selection.
        if (static_cast<int>(form.handle.size()) == i) form.add_handle();
        Handle& h = *form.handle[i];
        h.set_mouse_pointer(kRoles[i].pointer);
        container.raise(h);
        h.hide();
    }
}

void Module2::PlaceHandles(Gtk::Widget& control, MainWindow& form) {
    Placement& container = form.Frame1.area();
    const auto rect = container.rect(control);
    if (!rect) return;
    for (auto& h : form.handle)
        if (!h->get_visible()) h->show();
    for (std::size_t i = 0; i < form.handle.size() && i < kRoles.size(); ++i) {
        Handle& h = *form.handle[i];
        const float side = container.rect(h)->width;
        container.set(h, Edge::Left, handle_position(rect->left, rect->width, kRoles[i].across, side));
        container.set(h, Edge::Top, handle_position(rect->top, rect->height, kRoles[i].down, side));
    }
}

void Module2::HideHandles(MainWindow& form) {
    for (auto& h : form.handle)
        if (h->get_visible()) h->hide();
}

void Module2::GrabHandle(float x, float y) {
    grab_x_ = x;
    grab_y_ = y;
}

void Module2::DragHandle(int index, int button, int, float x, float y, MainWindow& form) {
    if (button != vbLeftButton || !selected_) return;
    // Moves of less than a twip are not worth a re-layout.
    if (std::fabs(x - last_x_) < 1 && std::fabs(y - last_y_) < 1) return;
    last_y_ = y;
    last_x_ = x;
    const float dx = x - grab_x_, dy = y - grab_y_;

    Placement& container = form.Frame1.area();
    Gtk::Widget& control = *selected_;
    if (auto r = container.rect(control)) {
        switch (index) {
        case 0: container.set_rect(control, {r->left + dx, r->top + dy, r->width - dx, r->height - dy}); break;
        case 1: container.set_rect(control, {r->left, r->top + dy, r->width, r->height - dy}); break;
        case 2: container.set_rect(control, {r->left, r->top + dy, r->width + dx, r->height - dy}); break;
        case 3: container.set(control, Edge::Width, r->width + dx); break;
        case 4: container.set_rect(control, {r->left, r->top, r->width + dx, r->height + dy}); break;
        case 5: container.set(control, Edge::Height, r->height + dy); break;
        case 6: container.set_rect(control, {r->left + dx, r->top, r->width - dx, r->height + dy}); break;
        case 7:
            // The left edge moves first; a width refused after it leaves the control shifted.
            container.set(control, Edge::Left, r->left + dx);
            container.set(control, Edge::Width, r->width - dx);
            break;
        case 8: container.set_rect(control, {r->left + dx, r->top + dy, r->width, r->height}); break;
        default: break;
        }
    }
    PlaceHandles(control, form);
}

}  // namespace kelvane
