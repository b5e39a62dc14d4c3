#include "maker/dialogs/start_menu.h"

#include <atkmm/object.h>
#include <gtkmm/cssprovider.h>

#include "maker/artwork.h"
#include "maker/dialog_font.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/caption.h"
#include "platform/desktop.h"
#include "platform/message_box.h"

namespace kelvane {

bool OpenWebPage(const std::string& address) {
    const std::string uri = address.rfind("www.", 0) == 0 ? "http://" + address : address;
    if (open_with_default_handler(uri)) return true;
    beep();
    return false;
}

ClickArea::ClickArea(const char* name, const char* description) {
    static const Glib::RefPtr<Gtk::CssProvider> look = [] {
        auto css = Gtk::CssProvider::create();
        // In every state; the ring in the picture buttons' own dark blue, inside their edge.
        css->load_from_data("* { background: none; border-color: transparent; box-shadow: none;"
                            " outline: 2px solid #1f3b73; outline-offset: -5px; }");
        return css;
    }();
    get_style_context()->add_provider(look, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    get_accessible()->set_name(name);
    get_accessible()->set_description(description);
}

void ClickArea::on_realize() {
    Gtk::Button::on_realize();
    // The button takes its input through a window of its own, which only it knows by
    // name: the one among the parent window's children that reports to it.
    for (GList* child = gdk_window_peek_children(get_window()->gobj()); child; child = child->next) {
        gpointer owner = nullptr;
        gdk_window_get_user_data(GDK_WINDOW(child->data), &owner);
        if (owner == gobj())
            gdk_window_set_cursor(GDK_WINDOW(child->data), Gdk::Cursor::create(get_display(), "pointer")->gobj());
    }
}

StartMenu::StartMenu(Forms& forms)
    : Form(6015, 4500),
      Label1(kCreateButton.title, kCreateButton.subtitle),
      Label2(kOptionsButton.title, kOptionsButton.subtitle),
      Frame1(),
      Frame2("Internet Speed Selecter"),
      Frame3("Main Program Settings"),
      Frame4("Other Options and Extras"),
      forms_(forms) {
    set_title("Kelvane");
    use_dialog_font(*this);
    set_border_style(vbFixedSingle);
    set_picture(start_menu_picture());
    set_icon(maker_icon());
    set_position(Gtk::WIN_POS_CENTER);

    client().put(Label1, {1440, 960, 3255, 735});
    client().put(Label2, {1440, 2160, 3255, 735});
    Label1.signal_clicked().connect(sigc::mem_fun(*this, &StartMenu::Label1_Click));
    Label2.signal_clicked().connect(sigc::mem_fun(*this, &StartMenu::Label2_Click));

    struct Option {
        Gtk::CheckButton& box;
        Panel& group;
        TwipsRect rect;
        const char* caption;
        const char* tip;
    };
    const Option options[] = {
        {Check1, Frame2, {360, 360, 2055, 375}, "Cable / Dsl etc", "Choose this option if u have a fast internet connection"},
        {Check2, Frame2, {360, 840, 2055, 375}, "Dial up etc", "Choose this if u have a slower internet connection"},
        {Check4, Frame3, {360, 360, 2055, 375}, "Display Current Time in programs main title", nullptr},
        {Check3, Frame3, {360, 840, 2055, 375}, "Change Border Style", nullptr},
        {Check5, Frame4, {120, 360, 1695, 375}, "Leave Feed Back", "Opens up a board where u can leave ur comments and suggestions"},
        {Check6, Frame4, {3600, 360, 1815, 375}, "Return to main Menu", "Back to the start menu"},
    };
    for (const Option& o : options) {
        set_caption(o.box, o.caption);
        wrap_caption(o.box);
        if (o.tip) o.box.set_tooltip_text(o.tip);
        o.group.area().put(o.box, o.rect);
    }
    Frame2.set_tooltip_text("Sets how long the song preview should last for");
    Frame3.set_tooltip_text("Change various things in the main compiler");
    Frame1.area().put(Frame2, {0, 120, 2655, 1455});
    Frame1.area().put(Frame3, {2880, 120, 2655, 1455});
    Frame1.area().put(Frame4, {0, 1800, 5535, 975});
    Frame1.show_all();
    client().put(Frame1, {120, 840, 5655, 2895});
    client().show_all();
    Frame1.hide();

    for (auto* option : {&Check1, &Check2, &Check3, &Check4})
        option->signal_clicked().connect([this, option] { Option_Click(*option); });
    Check5.signal_clicked().connect(sigc::mem_fun(*this, &StartMenu::Check5_Click));
    Check6.signal_clicked().connect(sigc::mem_fun(*this, &StartMenu::Check6_Click));
    signal_delete_event().connect([this](GdkEventAny*) {
        forms_.Unload(FormId::frmSplash);
        return true;
    });
}

void StartMenu::Label1_Click() {
    forms_.Form1().show();
    forms_.Form2().show();
    forms_.Unload(FormId::frmSplash);
}

void StartMenu::Label2_Click() { Frame1.show(); }

void StartMenu::Option_Click(Gtk::CheckButton& option) {
    // Whether the box is now checked or not, the option applies.
    MainWindow& main = forms_.Form1();
    if (&option == &Check1) main.Timer3.set_Interval(100);
    if (&option == &Check2) main.Timer3.set_Interval(130);
    if (&option == &Check3) main.set_border_style(vbFixedToolWindow);
    if (&option == &Check3 || &option == &Check4) main.Timer4.set_Enabled(true);
    forms_.Form2().hide();
    MsgBox("Settings have been changed successfully.", vbOKOnly, {}, this);
}

void StartMenu::Check5_Click() { OpenWebPage(kWebPage); }

void StartMenu::Check6_Click() { Frame1.hide(); }

}  // namespace kelvane
