// Message boxes and choosers open over the window that opened them, centred on it as far as
// the screen allows, and a long text wraps within the screen.
#include <glibmm/main.h>
#include <gtkmm/dialog.h>

#include "maker/dialogs/start_menu.h"
#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

struct DialogCase {
    const char* name;
    bool from_start_menu;  // else from the main window
    std::function<void(Forms&)> open;
};

class Dialogs : public MakerFixture, public testing::WithParamInterface<DialogCase> {};

TEST_P(Dialogs, BelongToTheirWindowAndFitTheScreen) {
    set_message_handler({});  // the dialogs themselves
    set_dialog_answers({});
    Gtk::Window& owner = GetParam().from_start_menu ? static_cast<Gtk::Window&>(forms.frmSplash()) : forms.Form1();
    ASSERT_TRUE(show_and_wait_drawn(owner));
    Gtk::Window* transient_for = nullptr;
    Gdk::Rectangle dialog, own;
    const auto frame = [](Gtk::Window& w) {
        int x = 0, y = 0;
        w.get_window()->get_origin(x, y);
        return Gdk::Rectangle(x, y, w.get_allocated_width(), w.get_allocated_height());
    };
    // Looks at the dialog once it shows, then closes it.
    sigc::connection watch = Glib::signal_timeout().connect([&] {
        for (Gtk::Window* w : Gtk::Window::list_toplevels()) {
            if (auto* shown = dynamic_cast<Gtk::Dialog*>(w); shown && shown->get_mapped()) {
                transient_for = shown->get_transient_for();
                dialog = frame(*shown);
                shown->response(Gtk::RESPONSE_CANCEL);
                return false;
            }
        }
        return true;
    }, 20);
    GetParam().open(forms);
    watch.disconnect();
    own = frame(owner);
    EXPECT_EQ(transient_for, &owner);
    const auto centred = [](int at, int size, int inner, int screen) { return std::clamp(at + (size - inner) / 2, 0, screen - inner); };
    const auto screen = owner.get_screen();
    EXPECT_NEAR(dialog.get_x(), centred(own.get_x(), own.get_width(), dialog.get_width(), screen->get_width()), 1);
    EXPECT_NEAR(dialog.get_y(), centred(own.get_y(), own.get_height(), dialog.get_height(), screen->get_height()), 1);
    EXPECT_LE(dialog.get_width(), screen->get_width());
}

INSTANTIATE_TEST_SUITE_P(Each, Dialogs, testing::Values(
    DialogCase{"Message", false, [](Forms& f) { f.Form1().Command2_Click(); }},
    DialogCase{"ColourChooser", false, [](Forms& f) { f.Form1().Command6_Click(); }},
    DialogCase{"FileChooser", false, [](Forms& f) { f.Form1().Command5_Click(); }},
    DialogCase{"MessageOverTheStartMenu", true, [](Forms& f) { f.frmSplash().Check1.clicked(); }},
    DialogCase{"LongText", false, [](Forms& f) {
        MsgBox("There was an error: " + std::string(300, 'x') + " " + std::string(200, 'y'), vbCritical, "Error", &f.Form1());
    }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
