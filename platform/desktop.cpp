#include "platform/desktop.h"

#include <gdkmm/display.h>
#include <giomm/appinfo.h>

namespace kelvane {

bool open_with_default_handler(const std::string& address) {
    try {
        return Gio::AppInfo::launch_default_for_uri(address);
    } catch (const Glib::Error&) {
        return false;
    }
}

void beep() {
    if (auto display = Gdk::Display::get_default()) {
        display->beep();
        display->flush();  // now, not whenever the main loop next runs
    }
}

}  // namespace kelvane
