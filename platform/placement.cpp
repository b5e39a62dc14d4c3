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
    for (Child& child : children_) allocate_child(child);
}

void Placement::allocate_child(Child& child) {
    Gtk::Widget& widget = *child.widget;
    const Gtk::Allocation own = get_allocation();
    if (&widget == covering_) {
        int minimum = 0, natural = 0;
        widget.get_preferred_width(minimum, natural);  // asked before it is allocated, as GTK wants
        widget.get_preferred_height(minimum, natural);
        widget.set_child_visible(true);
        widget.size_allocate(own);
        return;
    }
    if (child.anchor) {
        const bool shown = child.anchor->get_visible() && child.anchor->get_child_visible();
        allocate_over_bottom(widget, child.anchor->get_allocation(), shown);
        return;
    }
    int x = twips_to_pixels(child.rect.left), y = twips_to_pixels(child.rect.top);
    int w = twips_to_pixels(child.rect.width);
    const int h = twips_to_pixels(child.rect.height);
    if (child.along_bottom) {
        x = 0;
        y = own.get_height() - h;
        w = own.get_width();
    }
    // GTK wants to be asked for sizes before it allocates. A control may get less than
    // it asks for, but not less than its own frame (border and padding): such a control
    // is not drawn, and its geometry stays as set.
    int min_w = 0, nat_w = 0, min_h = 0, nat_h = 0;
    widget.get_preferred_width(min_w, nat_w);
    widget.get_preferred_height(min_h, nat_h);
    auto style = widget.get_style_context();
    const auto state = style->get_state();
    const Gtk::Border padding = style->get_padding(state), border = style->get_border(state);
    const int frame_w = padding.get_left() + padding.get_right() + border.get_left() + border.get_right();
    const int frame_h = padding.get_top() + padding.get_bottom() + border.get_top() + border.get_bottom();
    const bool fits = w > 0 && h > 0 && w >= frame_w && h >= frame_h;
    widget.set_child_visible(fits);
    if (!fits) return;
    Gtk::Allocation rect(own.get_x() + x, own.get_y() + y, w, h);
    widget.size_allocate(rect);
}

void Placement::allocate_over_bottom(Gtk::Widget& widget, const Gtk::Allocation& anchor, bool anchor_shown) {
    int minimum = 0, natural = 0;
    widget.get_preferred_width(minimum, natural);
    widget.get_preferred_height(minimum, natural);
    const int h = std::min(natural, anchor.get_height());
    widget.set_child_visible(anchor_shown && h > 0);
    if (anchor_shown && h > 0)
        widget.size_allocate(Gtk::Allocation(anchor.get_x(), anchor.get_y() + anchor.get_height() - h, anchor.get_width(), h));
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

GType Placement::child_type_vfunc() const { return Gtk::Widget::get_base_type(); }

Placement::Child* Placement::find(const Gtk::Widget& widget) {
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.widget == &widget; });
    return it == children_.end() ? nullptr : &*it;
}

const Placement::Child* Placement::find(const Gtk::Widget& widget) const {
    return const_cast<Placement*>(this)->find(widget);
}

}  // namespace kelvane
