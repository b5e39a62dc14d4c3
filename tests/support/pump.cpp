#include "tests/support/pump.h"

#include <glibmm/main.h>
#include <gtkmm/widget.h>

#include <thread>

namespace kelvane::test {
namespace {

void round_trip() {
    if (GdkDisplay* display = gdk_display_get_default()) gdk_display_sync(display);
}

// Runs the main context until the widget's window has painted a frame begun after the call.
bool next_frame(Gtk::Widget& widget, std::chrono::milliseconds timeout) {
    GdkFrameClock* clock = gtk_widget_get_frame_clock(widget.gobj());
    if (!clock) return false;
    bool painted = false;
    const gulong handler =
        g_signal_connect_swapped(clock, "after-paint", G_CALLBACK(+[](bool* flag) { *flag = true; }), &painted);
    gdk_frame_clock_request_phase(
        clock, static_cast<GdkFrameClockPhase>(GDK_FRAME_CLOCK_PHASE_FLUSH_EVENTS | GDK_FRAME_CLOCK_PHASE_LAYOUT));
    const bool framed = pump_until([&] { return painted; }, timeout);
    g_signal_handler_disconnect(clock, handler);
    return framed;
}

}  // namespace

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto context = Glib::MainContext::get_default();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!context->iteration(false)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void pump_for(std::chrono::milliseconds time) { pump_until([] { return false; }, time); }

void drain() {
    round_trip();
    auto context = Glib::MainContext::get_default();
    // Bounded, in case something keeps itself ready for ever.
    for (int i = 0; i < 100000 && context->pending(); ++i) context->iteration(false);
}

bool settle(Gtk::Widget& widget, std::chrono::milliseconds timeout) {
    round_trip();  // whatever the X server owes this process is in
    // GDK hands on pointer moves only when a frame begins: the first frame lets them
    // through, the second lays out and paints what they and all else before changed.
    for (int frame = 0; frame < 2; ++frame)
        if (!next_frame(widget, timeout)) return false;
    round_trip();  // and the X server has carried out what the frames asked of it
    return true;
}

}  // namespace kelvane::test
