#include "browserwindow/browser_window.h"

#include <atkmm/object.h>

#include "common/conversions.h"
#include "platform/caption.h"
#include "platform/notification.h"

namespace kelvane {

BrowserWindow::BrowserWindow(float client_width_twips) : Form(client_width_twips, kClientHeight) {
    Text1.set_text(kDefaultAddress);
    Text1.set_width_chars(1);
    Text1.get_accessible()->set_name(kAddressName);
    set_caption(Command1, "Browse");
    set_caption(Command2, "Go Back");
    set_caption(Command3, "Refresh");

    Placement& area = client();
    for (Control c : {Control::Text1, Control::Command1, Control::Command2, Control::Command3, Control::WebBrowser1})
        area.put(control(c), design_rect(c));
    area.put(WindowsMediaPlayer1, {120, 5160, 8535, 495});
    area.put_along_bottom(StatusBar1, {0, 5445, client_width_twips, 255});
    Text1.show();
    Command1.show();
    Command2.show();
    Command3.show();
    Text1.grab_focus();  // first in the tab order

    Command1.signal_clicked().connect(sigc::mem_fun(*this, &BrowserWindow::Command1_Click));
    Command2.signal_clicked().connect(sigc::mem_fun(*this, &BrowserWindow::Command2_Click));
    Command3.signal_clicked().connect(sigc::mem_fun(*this, &BrowserWindow::Command3_Click));
    WebBrowser1.signal_StatusTextChange().connect(sigc::mem_fun(*this, &BrowserWindow::WebBrowser1_StatusTextChange));
    WebBrowser1.signal_download().connect(sigc::mem_fun(*this, &BrowserWindow::WebBrowser1_Download));
    WebBrowser1.signal_secure_changed().connect(sigc::mem_fun(StatusBar1, &StatusBar::set_secure));
    property_title().signal_changed().connect(sigc::mem_fun(*this, &BrowserWindow::keep_title_and_border));
    for (const char* property : {"decorated", "resizable", "type-hint"})
        connect_property_changed(property, sigc::mem_fun(*this, &BrowserWindow::keep_title_and_border));
}

void BrowserWindow::hold_title_and_border(std::function<Glib::ustring()> title,
                                          std::function<Glib::ustring()> border_code) {
    held_title_ = std::move(title);
    held_border_ = std::move(border_code);
    keep_title_and_border();
    guard_title_and_border();  // also against other programs
}

void BrowserWindow::keep_title_and_border() {
    if (!held_title_ || !held_border_) return;
    const Glib::ustring title = held_title_();
    if (get_title() != title) set_title(title);
    // A source that is not a border code leaves the border as it is.
    if (auto border = to_code(Value(held_border_().raw()))) set_border_style(*border);
}

Gtk::Widget& BrowserWindow::control(Control which) {
    switch (which) {
    case Control::Text1: return Text1;
    case Control::Command1: return Command1;
    case Control::Command2: return Command2;
    case Control::Command3: return Command3;
    case Control::WebBrowser1: break;
    }
    return WebBrowser1.widget();
}

void BrowserWindow::Command1_Click() { WebBrowser1.Navigate(Text1.get_text()); }

void BrowserWindow::Command2_Click() { WebBrowser1.GoBack(); }

void BrowserWindow::Command3_Click() { WebBrowser1.Refresh(); }

void BrowserWindow::WebBrowser1_StatusTextChange(const Glib::ustring& text) {
    // Only blanks are trimmed; a tab at either end stays.
    const auto first = text.find_first_not_of(' ');
    const Glib::ustring trimmed = first == Glib::ustring::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
    StatusBar1.set_panel_text(1, trimmed);
}

void BrowserWindow::WebBrowser1_Download(const Glib::ustring& text, bool done) {
    WebBrowser1_StatusTextChange(text);
    // The status text gives way to the next one (the link under the pointer) at once, and
    // may be hidden: the end of a download is told where it stays to be seen.
    if (done) notify_desktop(text);
}

}  // namespace kelvane
