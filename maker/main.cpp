// The maker: makes browsers of the user's own from the template beside it.
#include <gtkmm/application.h>

#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/application.h"
#include "platform/message_box.h"

int main() {
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    kelvane::set_application_title("Kelvane");
    kelvane::Forms forms(kelvane::app_path());
    forms.signal_all_unloaded().connect([&] { app->release(); });
    app->signal_activate().connect([&] {
        app->hold();  // the maker runs until its windows are unloaded
        forms.Form1().show();
    });
    return app->run();
}
