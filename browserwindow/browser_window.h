// The browser window frmMain as the browser program and the maker's full preview share
// it: its design, its hosted controls and the handlers of its buttons and status text.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include <cstdint>
#include <functional>

#include "browserwindow/layout.h"
#include "browserwindow/media_player.h"
#include "browserwindow/status_bar.h"
#include "browserwindow/web_view.h"
#include "platform/form.h"

namespace kelvane {

class BrowserWindow : public Form {
public:
    // The full preview is a little wider than the browser's own window.
    explicit BrowserWindow(float client_width_twips = kClientWidth);

    static constexpr float kClientWidth = 8670;
    static constexpr float kClientHeight = 5700;
    static constexpr const char* kDefaultAddress = "www.duckduckgo.com";
    // What assistive technologies call the address box.
    static constexpr const char* kAddressName = "Address";

    Gtk::Widget& control(Control which);

    Gtk::Entry Text1;  // address box
    Gtk::Button Command1, Command2, Command3;  // browse, back, refresh
    WebView WebBrowser1;
    MediaPlayer WindowsMediaPlayer1;
    StatusBar StatusBar1;
    Glib::RefPtr<Gdk::Pixbuf> Image1;  // holder of the background picture
    std::int16_t Check1 = 0;           // holder of the song switch

    // Holds the title and border style at what the two sources say: re-applied whenever
    // the window's own title or border changes, also on the window system's side by
    // another program, and by keep_title_and_border() when a source does. The browser's
    // sources are its holders, the preview's the maker's fields.
    void hold_title_and_border(std::function<Glib::ustring()> title, std::function<Glib::ustring()> border_code);
    void keep_title_and_border();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void WebBrowser1_StatusTextChange(const Glib::ustring& text);
    // A download's progress shows in panel 1; where it went or that it failed, also in a
    // desktop notification.
    void WebBrowser1_Download(const Glib::ustring& text, bool done);

private:
    std::function<Glib::ustring()> held_title_, held_border_;
};

}  // namespace kelvane
