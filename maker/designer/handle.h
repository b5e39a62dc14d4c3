// A sizing handle of the layout designer: a small box with a resize pointer that reports
// presses and drags in twips relative to itself.
#pragma once

#include <gtkmm/eventbox.h>
#include <sigc++/signal.h>

namespace kelvane {

class Handle : public Gtk::EventBox {
public:
    explicit Handle(int index);
    int index() const { return index_; }
    void set_mouse_pointer(int code);

    static constexpr float kSide = 90;  // twips

    // Index, button, shift, x and y in twips from the handle's top-left corner. While a
    // button is held, GTK keeps sending the moves to the handle it went down on, in that
    // handle's coordinates, wherever the pointer goes.
    using MouseSignal = sigc::signal<void(int, int, int, float, float)>;
    MouseSignal& signal_MouseDown() { return mouse_down_; }
    MouseSignal& signal_MouseMove() { return mouse_move_; }

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    void on_realize() override;
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_motion_notify_event(GdkEventMotion* event) override;

private:
    void apply_pointer();

    int index_;
    int pointer_ = 0;
    MouseSignal mouse_down_, mouse_move_;
};

}  // namespace kelvane
