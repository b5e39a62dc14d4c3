#include "maker/designer/designer.h"

#include <array>
#include <cmath>

#include "platform/mouse.h"
#include "platform/window_codes.h"

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
    {vbSizeNWSE, 0, 0},  {vbSizeNS, 0.5f, 0}, {vbSizeNESW, 1, 0},    {vbSizeWE, 1, 0.5f},      {vbSizeNWSE, 1, 1},
    {vbSizeNS, 0.5f, 1}, {vbSizeNESW, 0, 1},  {vbSizeWE, 0, 0.5f},  {vbSizeAll, 0.5f, 0.5f},
}};

float handle_position(float start, float size, float where, float side) {
    if (where == 0) return start - side;
    if (where == 1) return start + size;
    return start + size / 2 - side / 2;
}

}  // namespace

Module2::Module2(Placement& container) : container_(container) { add_handle(); }

void Module2::add_handle() {
    auto& h = handle.emplace_back(std::make_unique<Handle>(static_cast<int>(handle.size())));
    container_.put(*h, {0, 0, Handle::kSide, Handle::kSide});
    h->signal_MouseDown().connect(handle_mouse_down_.make_slot());
    h->signal_MouseMove().connect(handle_mouse_move_.make_slot());
}

void Module2::raise_handles() {
    for (auto& h : handle) container_.raise(*h);
}

void Module2::SelectControl(Gtk::Widget& control) {
    CreateHandles();
    selected_ = &control;
    PlaceHandles(control);
}

void Module2::CreateHandles() {
    for (int i = 0; i < static_cast<int>(kRoles.size()); ++i) {
        // Handle 0 is part of the window; the others are made once, on the first selection.
        if (static_cast<int>(handle.size()) == i) add_handle();
        Handle& h = *handle[i];
        h.set_mouse_pointer(kRoles[i].pointer);
        container_.raise(h);
        h.hide();
    }
}

void Module2::PlaceHandles(Gtk::Widget& control) {
    const auto rect = container_.rect(control);
    if (!rect) return;
    for (auto& h : handle)
        if (!h->get_visible()) h->show();
    for (std::size_t i = 0; i < handle.size() && i < kRoles.size(); ++i) {
        Handle& h = *handle[i];
        const float side = container_.rect(h)->width;
        container_.set(h, Edge::Left, handle_position(rect->left, rect->width, kRoles[i].across, side));
        container_.set(h, Edge::Top, handle_position(rect->top, rect->height, kRoles[i].down, side));
    }
}

void Module2::HideHandles() {
    for (auto& h : handle)
        if (h->get_visible()) h->hide();
}

void Module2::GrabHandle(float x, float y) {
    grab_x_ = x;
    grab_y_ = y;
}

void Module2::DragHandle(int index, int button, int, float x, float y) {
    if (button != vbLeftButton || !selected_) return;
    // Moves of less than a twip are not worth a re-layout.
    if (std::fabs(x - last_x_) < 1 && std::fabs(y - last_y_) < 1) return;
    last_y_ = y;
    last_x_ = x;
    const float dx = x - grab_x_, dy = y - grab_y_;

    Placement& container = container_;
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
    PlaceHandles(control);
}

}  // namespace kelvane
