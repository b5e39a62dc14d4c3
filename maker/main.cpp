// The maker: makes browsers of the user's own from the template beside it.
#include <gtkmm/application.h>

#include <cstdlib>

#include "browserwindow/media_player.h"
#include "browserwindow/web_context.h"
#include "maker/artwork.h"
#include "maker/forms.h"
#include "maker/dialogs/start_menu.h"
#include "maker/web_engine.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/message_box.h"
#include "platform/user_folders.h"

int main() {
    kelvane::prepare_web_sandbox();
    kelvane::prefer_x11_display();
    kelvane::begin_start_menu_picture();
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    kelvane::set_application_title("Kelvane");
    kelvane::set_web_folders(kelvane::maker_data_folder(), kelvane::maker_cache_folder());
    kelvane::Forms forms(kelvane::app_path());
    forms.set_engine_loader([] {
        const std::string failure = kelvane::wait_for_web_engine();
        if (failure.empty()) return;
        kelvane::MsgBox("The web engine could not be loaded: " + failure, kelvane::vbCritical);
        std::exit(EXIT_FAILURE);
    });
    forms.signal_all_unloaded().connect([&] { app->release(); });
    app->signal_activate().connect([&] {
        app->hold();  // the maker runs until its windows are unloaded
        // Once the start menu is on the screen, the engine loads while the user reads it.
        forms.frmSplash().signal_map_event().connect([](GdkEventAny*) {
            kelvane::begin_loading_web_engine();
            return false;
        });
        forms.frmSplash().show();
    });
    return kelvane::MediaPlayer::exit_status(app->run());
}
