// Pictures of the maker's windows as they stand on the screen, saved for people to look
// at (build/screenshots), and checked to be more than an empty frame.
#include <gdkmm/pixbuf.h>

#include <set>

#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/start_menu.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

Glib::RefPtr<Gdk::Pixbuf> snapshot(Gtk::Window& window, const std::string& name) {
    window.show();
    window.present();
    EXPECT_TRUE(pump_until([&] { return window.get_mapped(); }));
    EXPECT_TRUE(settle(window));  // drawn, and the drawing on the X server
    auto gdk = window.get_window();
    auto picture = Gdk::Pixbuf::create(gdk, 0, 0, gdk->get_width(), gdk->get_height());
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
    return picture;
}

std::size_t colours_in(const Glib::RefPtr<Gdk::Pixbuf>& picture) {
    std::set<std::uint32_t> seen;
    const guint8* pixels = picture->get_pixels();
    for (int y = 0; y < picture->get_height(); y += 2)
        for (int x = 0; x < picture->get_width(); x += 2) {
            const guint8* p = pixels + y * picture->get_rowstride() + x * picture->get_n_channels();
            seen.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    return seen.size();
}

class Screenshots : public MakerFixture {};

TEST_F(Screenshots, StartMenuAndMainWindow) {
    auto menu = snapshot(forms.frmSplash(), "start_menu");
    EXPECT_EQ(menu->get_width(), 401);
    EXPECT_GT(colours_in(menu), 50u);
    forms.frmSplash().Label2_Click();
    EXPECT_GT(colours_in(snapshot(forms.frmSplash(), "start_menu_options")), 20u);
    auto main = snapshot(forms.Form1(), "main_window");
    EXPECT_GT(colours_in(main), 50u);
    snapshot(forms.Form2(), "position_dialog");
    snapshot(forms.Form3(), "window_dialog");
}

}  // namespace
}  // namespace kelvane::test
