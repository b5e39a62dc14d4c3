// The start menu and its options page.
#include "maker/dialogs/start_menu.h"

#include "tests/maker/maker_fixture.h"
#include <gdkmm/seat.h>

#include "platform/twips.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

class StartMenuTest : public MakerFixture {
protected:
    StartMenuTest() { menu().show(); }
    StartMenu& menu() { return forms.frmSplash(); }
};

struct OptionCase {
    const char* name;
    Gtk::CheckButton StartMenu::*box;
    unsigned interval;
    int border;
    bool clock;
};

class Options : public StartMenuTest, public testing::WithParamInterface<OptionCase> {};

// Checking or unchecking, an option applies to the main window, which it loads but does
// not show, hides the position dialog and says so.
TEST_P(Options, ApplyToTheHiddenMainWindowAndConfirm) {
    const OptionCase& option = GetParam();
    for (int click = 1; click <= 2; ++click) {
        (menu().*option.box).clicked();
        ASSERT_TRUE(forms.loaded(FormId::Form1));
        MainWindow& main = forms.Form1();
        EXPECT_FALSE(main.get_visible());
        EXPECT_TRUE(forms.Form3().get_visible());
        EXPECT_FALSE(forms.Form2().get_visible());
        EXPECT_EQ(main.Timer3.Interval(), option.interval);
        EXPECT_EQ(main.border_style(), option.border);
        EXPECT_EQ(main.Timer4.Enabled(), option.clock);
        ASSERT_EQ(messages.size(), static_cast<std::size_t>(click));
        EXPECT_EQ(messages.back().text, "Settings have been changed successfully.");
        EXPECT_EQ(messages.back().title, "Kelvane");
        EXPECT_EQ(messages.back().style, vbOKOnly);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Each, Options,
    testing::Values(OptionCase{"Cable", &StartMenu::Check1, 100, 1, false},
                    OptionCase{"DialUp", &StartMenu::Check2, 130, 1, false},
                    OptionCase{"Border", &StartMenu::Check3, 100, 4, true},
                    OptionCase{"Clock", &StartMenu::Check4, 100, 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartMenuTest, CreatingShowsMainWindowAndPositionsAndEndsTheMenu) {
    menu().Check2.clicked();  // hides the position dialog
    menu().Label1_Click();
    EXPECT_TRUE(forms.Form1().get_visible());
    EXPECT_TRUE(forms.Form2().get_visible());
    EXPECT_TRUE(forms.Form3().get_visible());
    EXPECT_FALSE(forms.loaded(FormId::frmSplash));
    EXPECT_EQ(forms.Form1().Timer3.Interval(), 130u) << "the option stays";
    EXPECT_EQ(all_unloaded, 0);
}

TEST_F(StartMenuTest, ClosingTheMenuAloneEndsTheMaker) {
    menu().close();
    drain();
    EXPECT_EQ(all_unloaded, 1);
}

// The pointer shape the user sees with the pointer at a point of the menu (in twips): that
// of the innermost window under the pointer that sets one; none is the plain arrow.
Glib::RefPtr<Gdk::Cursor> cursor_at(Gtk::Window& window, float left, float top) {
    const int x = twips_to_pixels(left), y = twips_to_pixels(top);
    auto pointer = window.get_display()->get_default_seat()->get_pointer();
    pointer_move(gdk_x11_window_get_xid(window.get_window()->gobj()), x, y);
    pump_until([&] {
        int px = -1, py = -1;
        Gdk::ModifierType mask;
        window.get_window()->get_device_position(pointer, px, py, mask);
        return px == x && py == y;
    });
    int wx = 0, wy = 0;
    for (auto w = pointer->get_window_at_position(wx, wy); w; w = w->get_parent())
        if (auto cursor = w->get_cursor()) return cursor;
    return {};
}

// The hand shows over the two picture buttons only while the options page does not
// cover them.
TEST_F(StartMenuTest, TheHandShowsOnlyOverTheTwoPictureButtons) {
    const std::pair<float, float> hand[] = {{1500, 1000}, {3000, 1300}, {4600, 2800}};
    const std::pair<float, float> arrow[] = {{1300, 1300}, {3000, 1800}, {3000, 3000}, {200, 200}};
    for (bool options : {false, true, false}) {
        SCOPED_TRACE(options ? "options page" : "picture buttons");
        EXPECT_EQ(menu().Frame1.get_visible(), options);
        ASSERT_TRUE(show_and_wait_drawn(menu()));
        for (auto [x, y] : hand) EXPECT_EQ(bool(cursor_at(menu(), x, y)), !options) << x << "," << y;
        for (auto [x, y] : arrow) EXPECT_FALSE(cursor_at(menu(), x, y)) << x << "," << y;
        if (!options) menu().Label2_Click();
        else menu().Check6.clicked();  // "Return to main Menu"
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(forms.loaded(FormId::Form1));
}

}  // namespace
}  // namespace kelvane::test
