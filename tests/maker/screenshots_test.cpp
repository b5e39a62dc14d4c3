// Pictures of the maker's windows and of a created program as they stand on the screen,
// saved for people to look at (build/screenshots; the README shows copies from docs/),
// and checked to be more than an empty frame.
#include <gdkmm/pixbuf.h>

#include <set>

#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/start_menu.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

Glib::RefPtr<Gdk::Pixbuf> save(const Glib::RefPtr<Gdk::Pixbuf>& picture, const std::string& name) {
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
    return picture;
}

Glib::RefPtr<Gdk::Pixbuf> snapshot(Gtk::Window& window, const std::string& name) {
    EXPECT_TRUE(show_and_wait_drawn(window));
    auto gdk = window.get_window();
    return save(Gdk::Pixbuf::create(gdk, 0, 0, gdk->get_width(), gdk->get_height()), name);
}

// Windows standing side by side, in one picture of them as they stand on the screen.
Glib::RefPtr<Gdk::Pixbuf> snapshot(const std::vector<Gtk::Window*>& windows, const std::string& name) {
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
    auto all = snapshot({&forms.Form1(), &forms.Form2(), &forms.Form3()}, "maker");
    EXPECT_GT(all->get_width(), main->get_width() + 200);
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
    ASSERT_TRUE(pump_until([&] { return pixel(window->id, window->width / 2, window->height / 2) == 0xeef3fbu; },
                           std::chrono::seconds(30)));
    auto foreign = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id));
    auto picture = save(Gdk::Pixbuf::create(foreign, 0, 0, window->width, window->height), "created_program");
    EXPECT_GT(colours_in(picture), 50u);
}

}  // namespace
}  // namespace kelvane::test
