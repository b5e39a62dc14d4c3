// The layout designer: select a control of the main window's preview, then move and
// resize it by dragging the nine sizing handles around it.
#pragma once

#include <gtkmm/eventbox.h>

namespace kelvane {

class MainWindow;

// A sizing handle: a small box that reports presses and drags in twips relative to itself.
class Handle : public Gtk::EventBox {
public:
    explicit Handle(int index);
    int index() const { return index_; }
    void set_mouse_pointer(int code);

    static constexpr float kSide = 90;  // twips

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    void on_realize() override;

private:
    void apply_pointer();

    int index_;
    int pointer_ = 0;
};

// Mouse buttons and modifier keys as the designer counts them.
enum MouseButton { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
int pressed_button(const GdkEventButton* event);  // the button that went down
int held_buttons(unsigned state);                 // every button held, added up
int shift_state(unsigned state);                  // shift 1, control 2, alt 4, added up

class Module2 {
public:
    void SelectControl(Gtk::Widget& control, MainWindow& form);
    void CreateHandles(MainWindow& form);
    void PlaceHandles(Gtk::Widget& control, MainWindow& form);
    void HideHandles(MainWindow& form);

    void GrabHandle(float x, float y);
    void DragHandle(int index, int button, int shift, float x, float y, MainWindow& form);

    Gtk::Widget* selected() const { return selected_; }

private:
    Gtk::Widget* selected_ = nullptr;
    float grab_x_ = 0, grab_y_ = 0;   // where the pointer went down inside a handle
    float last_x_ = 0, last_y_ = 0;   // the last drag step that was applied
};

}  // namespace kelvane
