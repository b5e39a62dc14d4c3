// The browser program. Every created program is this program with a trailer appended;
// the template started by itself opens an empty browser.
#include <gtkmm/application.h>
#include <unistd.h>

#include <cstdio>

#include "browser/program_window.h"
#include "browserwindow/web_context.h"
#include "platform/application.h"
#include "platform/desktop_id.h"

int main() {
    kelvane::prepare_web_sandbox();
    const std::string name = kelvane::own_file().filename().string();
    if (geteuid() == 0)
        std::fprintf(stderr, "%s: running as root, where the web sandbox cannot contain pages; "
                             "run this program as the desktop user\n", name.c_str());
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    // Named after its own file, so its windows group under the menu entry made for it.
    kelvane::set_window_class(kelvane::desktop_id(name));
    kelvane::set_web_profile_name(name);
    kelvane::ProgramWindow window;
    window.Form_Load(kelvane::own_file());
    return app->run(window);
}
