#include "browserwindow/full_screen.h"

#include <webkit2/webkit2.h>

#include "platform/form.h"
#include "platform/placement.h"

namespace kelvane {

FullScreen::FullScreen(WebKitWebView* view, Gtk::Widget& view_widget) : view_(view), view_widget_(view_widget) {
    g_signal_connect(view_, "enter-fullscreen", G_CALLBACK(on_enter), this);
    g_signal_connect(view_, "leave-fullscreen", G_CALLBACK(on_leave), this);
}

FullScreen::~FullScreen() { g_signal_handlers_disconnect_by_data(view_, this); }

int FullScreen::on_enter(WebKitWebView*, FullScreen* self) {
    // At each level out to the window, what holds the view covers its container alone.
    Gtk::Widget* inner = &self->view_widget_;
    for (Gtk::Widget* outer = inner->get_parent(); outer; inner = outer, outer = outer->get_parent()) {
        auto* area = dynamic_cast<Placement*>(outer);
        if (!area) continue;
        for (Gtk::Widget* other : area->get_children())
            if (other != inner && other->get_visible()) {
                other->hide();
                self->hidden_.push_back(other);
            }
        area->set_covering(inner);
        self->covered_.push_back(area);
    }
    if (auto* form = dynamic_cast<Form*>(self->view_widget_.get_toplevel())) form->set_full_screen(true);
    return FALSE;
}

int FullScreen::on_leave(WebKitWebView*, FullScreen* self) {
    for (Placement* area : self->covered_) area->set_covering(nullptr);
    for (Gtk::Widget* control : self->hidden_) control->show();
    self->covered_.clear();
    self->hidden_.clear();
    if (auto* form = dynamic_cast<Form*>(self->view_widget_.get_toplevel())) form->set_full_screen(false);
    return FALSE;
}

}  // namespace kelvane
