// The browser program. Every created program is this program with a trailer appended;
// the template started by itself opens an empty browser.
#include <gtkmm/application.h>

#include "browser/program_window.h"
#include "platform/application.h"
#include "platform/desktop_id.h"

int main() {
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    // Named after its own file, so its windows group under the menu entry made for it.
    kelvane::set_window_class(kelvane::desktop_id(kelvane::own_file().filename().string()));
    kelvane::ProgramWindow window;
    window.Form_Load(kelvane::own_file());
    return app->run(window);
}
