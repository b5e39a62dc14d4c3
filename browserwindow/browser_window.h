// The browser window frmMain as the browser program and the maker's full preview share
// it: its design, its hosted controls and the handlers of its buttons and status text.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include <cstdint>

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

    Gtk::Widget& control(Control which);

    Gtk::Entry Text1;  // address box
    Gtk::Button Command1, Command2, Command3;  // browse, back, refresh
    WebView WebBrowser1;
    MediaPlayer WindowsMediaPlayer1;
    StatusBar StatusBar1;
    Glib::RefPtr<Gdk::Pixbuf> Image1;  // holder of the background picture
    std::int16_t Check1 = 0;           // holder of the song switch

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void WebBrowser1_StatusTextChange(const Glib::ustring& text);
};

}  // namespace kelvane
