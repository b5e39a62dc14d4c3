// A window's widgets as the toolkit keeps them, and the keyboard focus of a window.
#pragma once

#include <gtkmm/window.h>

#include <functional>

#include "tests/support/pump.h"

namespace kelvane::test {

// Calls `visit` on the widget and on every widget inside it, the toolkit's own parts too.
inline void for_each_widget(GtkWidget* widget, const std::function<void(GtkWidget*)>& visit) {
    visit(widget);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), [](GtkWidget* child, gpointer v) {
            for_each_widget(child, *static_cast<const std::function<void(GtkWidget*)>*>(v));
        }, const_cast<std::function<void(GtkWidget*)>*>(&visit));
}

// Shows the window, gives it the keyboard focus and waits until it has it.
inline bool focus_window(Gtk::Window& window) {
    window.show();
    window.present();
    return pump_until([&] { return window.get_mapped() && window.is_active(); });
}

}  // namespace kelvane::test
