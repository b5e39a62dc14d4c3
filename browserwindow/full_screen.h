// A page that asks for full screen (a video's full-screen button) gets the whole screen:
// its window goes full screen and the web view alone covers it. Leaving, by Escape or by
// the page, gives back the window as it was configured: size, place, border, controls
// and title.
#pragma once

#include <gtkmm/widget.h>

#include <vector>

typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

class Placement;

class FullScreen {
public:
    FullScreen(WebKitWebView* view, Gtk::Widget& view_widget);
    ~FullScreen();
    FullScreen(const FullScreen&) = delete;
    FullScreen& operator=(const FullScreen&) = delete;

private:
    // Both let the engine go on to make the window full screen, or leave it.
    static int on_enter(WebKitWebView*, FullScreen* self);
    static int on_leave(WebKitWebView*, FullScreen* self);

    WebKitWebView* view_;
    Gtk::Widget& view_widget_;
    std::vector<Placement*> covered_;   // from the view's own container out to the window's
    std::vector<Gtk::Widget*> hidden_;  // the controls that were shown, shown again on leaving
};

}  // namespace kelvane
