// Pictures of the maker's windows as they stand on the screen, for people to look at
// (build/screenshots, beside those of created programs from the colour tests; the README
// shows copies from docs/).
#include <gdkmm/pixbuf.h>

#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

// Saves the windows as they stand on the screen, on white.
void save(const std::vector<Gtk::Window*>& windows, const std::string& name) {
    Gdk::Rectangle all;
    for (Gtk::Window* window : windows) {
        ASSERT_TRUE(show_and_wait_drawn(*window));
        Gdk::Rectangle frame;
        window->get_window()->get_frame_extents(frame);
        all = all.has_zero_area() ? frame : all.join(frame);
    }
    auto picture = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, all.get_width(), all.get_height());
    picture->fill(0xffffffff);
    for (Gtk::Window* window : windows) {
        auto gdk = window->get_window();
        int x = 0, y = 0;
        gdk->get_origin(x, y);
        Gdk::Pixbuf::create(gdk, 0, 0, gdk->get_width(), gdk->get_height())
            ->copy_area(0, 0, gdk->get_width(), gdk->get_height(), picture, x - all.get_x(), y - all.get_y());
    }
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
}

class Screenshots : public MakerFixture {};

TEST_F(Screenshots, TheMaker) {
    save({&forms.frmSplash()}, "start_menu");
    save({&main(), &positions(), &window_dialog()}, "maker");
}

}  // namespace
}  // namespace kelvane::test
