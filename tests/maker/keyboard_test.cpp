// The maker by keyboard alone: Tab goes through each window the way its controls read, from
// the top-left, past whatever is covered; the start menu's picture buttons take the focus,
// show it and start on Space or Return; Tab leads out of the preview's page to the next control.
#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/keyboard.h"
#include "tests/support/page_script.h"
#include "tests/support/widgets.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

using Stops = std::vector<Gtk::Widget*>;

// Tab, as the window's key binding does it, once for each control and once more round.
void expect_tab_order(Gtk::Window& window, const Stops& stops) {
    ASSERT_TRUE(show_and_wait_drawn(window) && focus_window(window));
    window.unset_focus();
    for (std::size_t i = 0; i <= stops.size(); ++i) {
        g_signal_emit_by_name(window.gobj(), "move-focus", GTK_DIR_TAB_FORWARD);
        EXPECT_EQ(window.get_focus(), stops[i % stops.size()]) << window.get_title() << ", stop " << i;
    }
}

class Keyboard : public MakerFixture {};

TEST_F(Keyboard, TabGoesTheWayTheControlsReadPastWhatIsCovered) {
    MainWindow& m = main();
    Stops settings{&m.Text2, &m.Text4, &m.Command6, &m.txtExeFile, &m.Text3,    &m.Text5,    &m.Command5,
                   &m.Text6, &m.Text7, &m.Command8, &m.Command2,   &m.Text8,    &m.Command7, &m.Check1};
    Stops all = settings;
    all.insert(all.end(), {&m.Text1, &m.Command1, &m.Command3, &m.Command4, &m.WebBrowser1.widget()});
    expect_tab_order(m, all);
    m.Frame3.show();  // the background preview covers the preview's controls
    settings.push_back(&m.Command9);
    expect_tab_order(m, settings);
    positions().Command1_Click();  // the second page covers the first
    EXPECT_EQ(positions().Command1.get_label(), "back");
    Stops second;
    for (int n = 11; n <= 20; ++n) second.push_back(&positions().Text(n));
    second.push_back(&positions().Command1);
    expect_tab_order(positions(), second);
}

TEST_F(Keyboard, PictureButtonsShowTheFocusAndStartOnSpaceOrReturn) {
    StartMenu& menu = forms.frmSplash();
    ASSERT_TRUE(focus_window(menu));
    menu.Label1.grab_focus();
    ASSERT_TRUE(press_keys("Tab"));
    ASSERT_TRUE(pump_until([&] { return menu.Label2.has_focus(); }) && settle(menu));
    // Where the ring runs down the left edge: the same spot of each button's face.
    const auto ring = [&](Gtk::Widget& area) {
        const Gtk::Allocation a = area.get_allocation();
        return pixel(gdk_x11_window_get_xid(menu.get_window()->gobj()), a.get_x() + 4, a.get_y() + a.get_height() / 2);
    };
    EXPECT_NE(ring(menu.Label2), ring(menu.Label1));
    ASSERT_TRUE(press_keys("space"));
    ASSERT_TRUE(pump_until([&] { return menu.Frame1.get_visible(); }));
    menu.Check6.clicked();
    EXPECT_FALSE(menu.Frame1.get_visible());
    menu.Label1.grab_focus();
    ASSERT_TRUE(press_keys("Return"));
    EXPECT_TRUE(pump_until([&] { return !forms.loaded(FormId::frmSplash) && main().get_visible(); }));
}

TEST_F(Keyboard, TabOutOfThePreviewsPageReachesTheNextControl) {
    Gtk::Widget& page = main().WebBrowser1.widget();
    main().WebBrowser1.Navigate("about:blank");
    ASSERT_TRUE(focus_window(main()));
    ASSERT_TRUE(pump_until([&] { return !main().WebBrowser1.loading() && main().WebBrowser1.uri() == "about:blank"; }));
    for (auto [keys, next] : {std::pair<const char*, Gtk::Widget*>{"Tab", &main().Text2}, {"shift+Tab", &main().Command4}}) {
        page.grab_focus();
        ASSERT_TRUE(press_keys(keys));
        ASSERT_TRUE(pump_until([&] { return !page.has_focus(); }));
        run_script(page, "0");  // the page has answered for the key once it answers this
        drain();
        EXPECT_EQ(main().get_focus(), next) << keys;
    }
}

}  // namespace
}  // namespace kelvane::test
