// Pictures of the maker's windows and of a created program as they stand on the screen,
// saved for people to look at (build/screenshots; the README shows copies from docs/),
// and checked to be more than an empty frame.
#include <gdkmm/pixbuf.h>

#include <set>

#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

// Saves the picture and tells how many colours it has.
std::size_t save(const Glib::RefPtr<Gdk::Pixbuf>& picture, const std::string& name) {
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
    std::set<std::uint32_t> seen;
    for (int y = 0; y < picture->get_height(); y += 2)
        for (int x = 0; x < picture->get_width(); x += 2) {
            const guint8* p = picture->get_pixels() + y * picture->get_rowstride() + x * picture->get_n_channels();
            seen.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    return seen.size();
}

// Windows standing side by side, in one picture of them as they stand on the screen.
std::size_t snapshot(const std::vector<Gtk::Window*>& windows, const std::string& name) {
    Gdk::Rectangle all;
    for (Gtk::Window* window : windows) {
        EXPECT_TRUE(show_and_wait_drawn(*window));
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
    return save(picture, name);
}

class Screenshots : public MakerFixture {};

TEST_F(Screenshots, StartMenuAndMaker) {
    EXPECT_GT(snapshot({&forms.frmSplash()}, "start_menu"), 50u);
    EXPECT_GT(snapshot({&forms.Form1(), &forms.Form2(), &forms.Form3()}, "maker"), 50u);
}

TEST_F(Screenshots, CreatedProgram) {
    HttpServer server;
    server.serve("/home.html",
                 "<html><body style='background:#eef3fb;font-family:sans-serif;margin:24px'>"
                 "<h1>Granny's Browser</h1><p>Made with Kelvane: the buttons, colour and size above "
                 "were chosen in the maker.</p></body></html>");
    MainWindow& main = forms.Form1();
    main.Text2.set_text("Granny's Browser");
    main.Text3.set_text("Go");
    main.Text6.set_text("Back");
    main.Text7.set_text("Reload");
    main.Text4.set_text(server.url("/home.html"));
    main.Text5.set_text(std::to_string(0x00B07830));  // a steel blue, red in the low byte
    main.txtExeFile.set_text("granny");
    main.Command2.clicked();
    ASSERT_EQ(messages.back().style, vbInformation) << messages.back().text;

    Process program(folder / "granny");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    // Taken once the page is drawn: its background fills the middle of the web view.
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, window->width / 2, window->height / 2) == 0xeef3fbu; }));
    auto foreign = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id));
    EXPECT_GT(save(Gdk::Pixbuf::create(foreign, 0, 0, window->width, window->height), "created_program"), 50u);
}

}  // namespace
}  // namespace kelvane::test
