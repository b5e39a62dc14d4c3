// A container that puts each child at an exact rectangle given in twips, also below the
// child's natural minimum. Values read back are the values that were set. A child that
// cannot be seen (covered by another in front of it, or outside) is not shown, and the
// keyboard visits the children in reading order.
#pragma once

#include <gtkmm/container.h>

#include <optional>
#include <vector>

namespace kelvane {

struct TwipsRect {
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

enum class Edge { Left, Top, Width, Height };

class Placement : public Gtk::Container {
public:
    Placement();
    ~Placement() override;

    // Adds a child at the rectangle; later children stack in front of earlier ones.
    void put(Gtk::Widget& child, const TwipsRect& rect);
    // Adds a child that lies along the bottom edge at the full width, whatever size the
    // container has: only its height is taken from the rectangle, which reads back as set.
    void put_along_bottom(Gtk::Widget& child, const TwipsRect& rect);
    // Adds a child that lies over the bottom of another child at that one's width and its
    // own natural height, just in front of it: a bar that belongs to a control.
    void put_over_bottom(Gtk::Widget& child, Gtk::Widget& anchor);
    // The child is given the whole container while it covers it; the others keep their
    // rectangles. Null ends it.
    void set_covering(Gtk::Widget* child);
    // Sets one edge of a child; false (nothing changes) for a value that is not finite
    // or beyond what the window system can draw, a negative width or height, or a widget
    // that is not a child.
    bool set(Gtk::Widget& child, Edge edge, float twips);
    bool set_rect(Gtk::Widget& child, const TwipsRect& rect);
    std::optional<TwipsRect> rect(const Gtk::Widget& child) const;
    // Moves a child to the front of the stack.
    void raise(Gtk::Widget& child);

    // The size the container asks for; its minimum is always zero.
    void set_natural_size(int width_pixels, int height_pixels);
    // Drawn behind the children at the top-left corner, unscaled.
    void set_background(const Glib::RefPtr<Gdk::Pixbuf>& picture);

protected:
    Gtk::SizeRequestMode get_request_mode_vfunc() const override;
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const override;
    void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    void forall_vfunc(gboolean include_internals, GtkCallback callback, gpointer data) override;
    void on_add(Gtk::Widget* child) override;
    void on_remove(Gtk::Widget* child) override;
    bool on_focus(Gtk::DirectionType direction) override;
    GType child_type_vfunc() const override;

private:
    struct Child {
        Gtk::Widget* widget;
        TwipsRect rect;
        bool along_bottom = false;
        Gtk::Widget* anchor = nullptr;  // the child that it lies over the bottom of
    };
    Child* find(const Gtk::Widget& widget);
    const Child* find(const Gtk::Widget& widget) const;
    // The child's rectangle in pixels, relative to the container.
    Gdk::Rectangle pixel_rect(const Child& child) const;
    void allocate_child(Gtk::Widget& widget, const Gdk::Rectangle& rect, bool drawn, bool seen);

    std::vector<Child> children_;  // back to front
    int natural_width_ = 0, natural_height_ = 0;
    Glib::RefPtr<Gdk::Pixbuf> background_;
    Gtk::Widget* covering_ = nullptr;
};

}  // namespace kelvane
