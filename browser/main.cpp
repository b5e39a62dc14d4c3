// The browser program. Every created program is this program with a trailer appended;
// the template started by itself opens an empty browser.
#include <gtkmm/application.h>
#include <glibmm/main.h>
#include <unistd.h>

#include <cstdio>
#include <list>

#include "browser/program_window.h"
#include "browserwindow/media_player.h"
#include "browserwindow/web_context.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/desktop_id.h"

int main() {
    kelvane::prepare_web_sandbox();
    kelvane::prefer_x11_display();
    const std::string name = kelvane::own_file().filename().string();
    if (geteuid() == 0)
        std::fprintf(stderr, "%s: running as root, where the web sandbox cannot contain pages; "
                             "run this program as the desktop user\n", name.c_str());
    // Named after its own file, so its windows group under the menu entry made for it, and
    // one program runs as one process per user: a second start opens its window in the
    // running one, so that one process alone writes the program's cookie store. Without a
    // session bus every start runs on its own, as before.
    const std::string id = kelvane::desktop_id(name);
    auto app = Gtk::Application::create("kelvane." + id);
    kelvane::set_window_class(id);

    std::list<kelvane::ProgramWindow> windows;
    app->signal_activate().connect([&] {
        auto& window = windows.emplace_back();
        window.Form_Load(kelvane::own_file());
        app->add_window(window);
        window.show();
        // A closed window goes once its handlers are done; the program ends with the last.
        window.signal_hide().connect([&windows, &window] {
            Glib::signal_idle().connect_once([&windows, &window] {
                windows.remove_if([&](const kelvane::ProgramWindow& w) { return &w == &window; });
            });
        });
    });
    return kelvane::MediaPlayer::exit_status(app->run());
}
