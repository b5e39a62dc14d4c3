// The maker's own pictures, drawn rather than shipped: the banner across the top of the
// main window, the window icon and the start menu with its two picture buttons.
#pragma once

#include <gdkmm/pixbuf.h>

namespace kelvane {

Glib::RefPtr<Gdk::Pixbuf> banner_picture();
Glib::RefPtr<Gdk::Pixbuf> maker_icon();
// The menu icon of a created browser whose maker chose none: a globe in a browser window.
Glib::RefPtr<Gdk::Pixbuf> browser_icon();
// What the start menu's two picture buttons say: a title and a line under it.
struct PictureButtonText {
    const char* title;
    const char* subtitle;
};
inline constexpr PictureButtonText kCreateButton{"Create a browser", "Start making your own"};
inline constexpr PictureButtonText kOptionsButton{"Program options", "Preview length, clock, feedback"};
// 400 by 300 pixels; the buttons stand at 96,64 and 96,144, each 217 by 49.
Glib::RefPtr<Gdk::Pixbuf> start_menu_picture();
// Begins drawing the start menu's picture on a worker thread while GTK starts (its text
// needs the fonts looked up first); start_menu_picture() then takes it from there.
void begin_start_menu_picture();

}  // namespace kelvane
