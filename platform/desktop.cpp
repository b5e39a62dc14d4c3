#include "platform/desktop.h"

#include <gdkmm/display.h>
#include <giomm/appinfo.h>

namespace kelvane {

void prefer_x11_display() { gdk_set_allowed_backends("x11,*"); }

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
