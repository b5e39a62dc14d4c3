#include "platform/placement.h"

#include <gdkmm/general.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>

#include "platform/twips.h"

namespace kelvane {
namespace {

// Controls are laid out by the user to the pixel, so the theme's minimum sizes must not
// hold them larger than the rectangle they were given.
void allow_any_size(Gtk::Widget& widget) {
    static const Glib::RefPtr<Gtk::CssProvider> provider = [] {
        auto css = Gtk::CssProvider::create();
        css->load_from_data("* { min-width: 0; min-height: 0; }");
        return css;
    }();
    widget.get_style_context()->add_provider(provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// Whether the front rectangle hides all of the one behind it.
bool covers(const Gdk::Rectangle& front, const Gdk::Rectangle& behind) {
    return front.get_x() <= behind.get_x() && front.get_y() <= behind.get_y() &&
           front.get_x() + front.get_width() >= behind.get_x() + behind.get_width() &&
           front.get_y() + front.get_height() >= behind.get_y() + behind.get_height();
}

bool fits(Gtk::Widget& widget, const Gdk::Rectangle& rect) {
    // A control may get less than it asks for, but not less than its own frame (border
    // and padding).
    auto style = widget.get_style_context();
    const auto state = style->get_state();
    const Gtk::Border padding = style->get_padding(state), border = style->get_border(state);
    const int frame_w = padding.get_left() + padding.get_right() + border.get_left() + border.get_right();
    const int frame_h = padding.get_top() + padding.get_bottom() + border.get_top() + border.get_bottom();
    return rect.get_width() > 0 && rect.get_height() > 0 && rect.get_width() >= frame_w &&
           rect.get_height() >= frame_h;
}

}  // namespace

Placement::Placement() { set_has_window(false); }

Placement::~Placement() {
    // Children still here are unparented, so none is left pointing at a dead parent.
    for (Child& child : children_) child.widget->unparent();
    children_.clear();
}

void Placement::put(Gtk::Widget& child, const TwipsRect& rect) {
    allow_any_size(child);
    children_.push_back({&child, rect});
    child.set_parent(*this);
}

void Placement::put_along_bottom(Gtk::Widget& child, const TwipsRect& rect) {
    put(child, rect);
    children_.back().along_bottom = true;
}

void Placement::put_over_bottom(Gtk::Widget& child, Gtk::Widget& anchor) {
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.widget == &anchor; });
    if (it == children_.end()) return;
    allow_any_size(child);
    // Allocated after its anchor, whose place it takes its own from.
    children_.insert(it + 1, {&child, {}, false, &anchor});
    child.set_parent(*this);
}

void Placement::set_covering(Gtk::Widget* child) {
    covering_ = child;
    queue_allocate();
}

bool Placement::set(Gtk::Widget& widget, Edge edge, float twips) {
    Child* child = find(widget);
    if (!child || !drawable_twips(twips)) return false;
    if ((edge == Edge::Width || edge == Edge::Height) && twips < 0) return false;
    TwipsRect rect = child->rect;
    switch (edge) {
    case Edge::Left: rect.left = twips; break;
    case Edge::Top: rect.top = twips; break;
    case Edge::Width: rect.width = twips; break;
    case Edge::Height: rect.height = twips; break;
    }
    return set_rect(widget, rect);
}

bool Placement::set_rect(Gtk::Widget& widget, const TwipsRect& rect) {
    Child* child = find(widget);
    const bool drawable = drawable_twips(rect.left) && drawable_twips(rect.top) && drawable_twips(rect.width) &&
                          drawable_twips(rect.height);
    if (!child || !drawable || rect.width < 0 || rect.height < 0) return false;
    child->rect = rect;
    // The container's own size does not depend on where its children stand: a new
    // allocation is enough, and leaves the other children as they are.
    queue_allocate();
    return true;
}

std::optional<TwipsRect> Placement::rect(const Gtk::Widget& widget) const {
    if (const Child* child = find(widget)) return child->rect;
    return std::nullopt;
}

void Placement::raise(Gtk::Widget& widget) {
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.widget == &widget; });
    if (it == children_.end()) return;
    std::rotate(it, it + 1, children_.end());
    // Windowed children (the web view) stack through their GDK windows.
    if (auto window = widget.get_window(); window && widget.get_has_window()) window->raise();
    queue_draw();
}

void Placement::set_natural_size(int width_pixels, int height_pixels) {
    natural_width_ = std::max(0, width_pixels);
    natural_height_ = std::max(0, height_pixels);
    queue_resize();
}

void Placement::set_background(const Glib::RefPtr<Gdk::Pixbuf>& picture) {
    background_ = picture;
    queue_draw();
}

Gtk::SizeRequestMode Placement::get_request_mode_vfunc() const { return Gtk::SIZE_REQUEST_CONSTANT_SIZE; }

void Placement::get_preferred_width_vfunc(int& minimum, int& natural) const {
    minimum = 0;
    natural = natural_width_;
}

void Placement::get_preferred_height_vfunc(int& minimum, int& natural) const {
    minimum = 0;
    natural = natural_height_;
}

void Placement::get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const {
    get_preferred_width_vfunc(minimum, natural);
}

void Placement::get_preferred_height_for_width_vfunc(int, int& minimum, int& natural) const {
    get_preferred_height_vfunc(minimum, natural);
}

void Placement::on_size_allocate(Gtk::Allocation& allocation) {
    set_allocation(allocation);
    // Where each child lies in pixels, relative to the container, and whether it can be
    // drawn there, before any is shown: a child shows only where none in front of it
    // covers it whole.
    const Gdk::Rectangle own(0, 0, allocation.get_width(), allocation.get_height());
    const std::size_t count = children_.size();
    std::vector<Gdk::Rectangle> rects(count);
    std::vector<bool> drawn(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Child& child = children_[i];
        if (child.anchor) continue;  // placed from its control, below
        const bool covering = child.widget == covering_;
        rects[i] = covering ? own : pixel_rect(child);
        drawn[i] = covering || fits(*child.widget, rects[i]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        // A bar at its own natural height over the bottom of its control, shown with it.
        const Child& child = children_[i];
        if (!child.anchor) continue;
        const auto k = static_cast<std::size_t>(find(*child.anchor) - children_.data());
        int minimum = 0, natural = 0;
        child.widget->get_preferred_height(minimum, natural);
        const int h = std::min(natural, rects[k].get_height());
        rects[i] = {rects[k].get_x(), rects[k].get_y() + rects[k].get_height() - h, rects[k].get_width(), h};
        drawn[i] = drawn[k] && child.anchor->get_visible() && h > 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        // Only the part inside the container can be seen.
        bool seen = false;
        Gdk::Rectangle part = rects[i];
        part.intersect(own, seen);
        for (std::size_t j = i + 1; seen && j < count; ++j)
            if (drawn[j] && children_[j].widget->get_visible() && covers(rects[j], part)) seen = false;
        allocate_child(*children_[i].widget, rects[i], drawn[i], seen);
    }
}

Gdk::Rectangle Placement::pixel_rect(const Child& child) const {
    if (child.along_bottom) {
        const int h = twips_to_pixels(child.rect.height);
        return {0, get_allocated_height() - h, get_allocated_width(), h};
    }
    return {twips_to_pixels(child.rect.left), twips_to_pixels(child.rect.top), twips_to_pixels(child.rect.width),
            twips_to_pixels(child.rect.height)};
}

void Placement::allocate_child(Gtk::Widget& widget, const Gdk::Rectangle& rect, bool drawn, bool seen) {
    // GTK wants to be asked for sizes before it allocates.
    int min_w = 0, nat_w = 0, min_h = 0, nat_h = 0;
    widget.get_preferred_width(min_w, nat_w);
    widget.get_preferred_height(min_h, nat_h);
    // A control too small for its own frame, outside the container or covered by another
    // is not mapped, so neither the keyboard nor assistive technologies reach it; its
    // geometry stays as set.
    widget.set_child_visible(drawn && seen);
    if (!drawn) return;
    const Gtk::Allocation own = get_allocation();
    Gtk::Allocation allocation(own.get_x() + rect.get_x(), own.get_y() + rect.get_y(), rect.get_width(),
                               rect.get_height());
    widget.size_allocate(allocation);
}

bool Placement::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    if (background_) {
        Gdk::Cairo::set_source_pixbuf(cr, background_, 0, 0);
        cr->paint();
    }
    return Gtk::Container::on_draw(cr);
}

void Placement::forall_vfunc(gboolean, GtkCallback callback, gpointer data) {
    // A copy, since the callback may remove children.
    std::vector<Gtk::Widget*> widgets;
    for (auto& c : children_) widgets.push_back(c.widget);
    for (Gtk::Widget* w : widgets) callback(w->gobj(), data);
}

void Placement::on_add(Gtk::Widget* child) { put(*child, {}); }

void Placement::on_remove(Gtk::Widget* widget) {
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.widget == widget; });
    if (it == children_.end()) return;
    const bool was_visible = widget->get_visible();
    children_.erase(it);
    if (covering_ == widget) covering_ = nullptr;
    for (Child& other : children_)
        if (other.anchor == widget) other.anchor = nullptr;  // left with an empty rectangle
    widget->unparent();
    if (was_visible) queue_resize();
}

bool Placement::on_focus(Gtk::DirectionType direction) {
    const bool forward = direction == Gtk::DIR_TAB_FORWARD;
    if (!forward && direction != Gtk::DIR_TAB_BACKWARD) return Gtk::Container::on_focus(direction);
    // Tab goes the way the controls read, row by row from the top-left, wherever the user
    // placed them; the stacking order says nothing about it.
    std::vector<const Child*> order;
    for (const Child& child : children_) order.push_back(&child);
    std::stable_sort(order.begin(), order.end(), [](const Child* a, const Child* b) {
        const Gtk::Allocation p = a->widget->get_allocation(), q = b->widget->get_allocation();
        return std::pair(p.get_y(), p.get_x()) < std::pair(q.get_y(), q.get_x());
    });
    if (!forward) std::reverse(order.begin(), order.end());
    // On from the child that holds the focus, which may move it further within itself.
    const Gtk::Widget* focus = get_focus_child();
    auto next = order.begin();
    if (focus) {
        next = std::find_if(order.begin(), order.end(), [&](const Child* c) { return c->widget == focus; });
        if (next == order.end()) return false;
        if ((*next)->widget->child_focus(direction)) return true;
        ++next;
    }
    for (; next != order.end(); ++next)
        if ((*next)->widget->get_is_drawable() && (*next)->widget->child_focus(direction)) return true;
    return false;
}

GType Placement::child_type_vfunc() const { return Gtk::Widget::get_base_type(); }

Placement::Child* Placement::find(const Gtk::Widget& widget) {
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.widget == &widget; });
    return it == children_.end() ? nullptr : &*it;
}

const Placement::Child* Placement::find(const Gtk::Widget& widget) const {
    return const_cast<Placement*>(this)->find(widget);
}

}  // namespace kelvane
