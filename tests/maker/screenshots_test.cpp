// Pictures of the maker's windows and of a created program as they stand on the screen, for
// people to look at (build/screenshots; the README shows copies from docs/).
#include <gdkmm/pixbuf.h>

#include "maker/dialogs/start_menu.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

// Saves the windows as they stand on the screen, on white.
void save(const std::vector<Glib::RefPtr<Gdk::Window>>& windows, const std::string& name) {
    Gdk::Rectangle all;
    for (const auto& window : windows) {
        Gdk::Rectangle frame;
        window->get_frame_extents(frame);
        all = all.has_zero_area() ? frame : all.join(frame);
    }
    auto picture = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, false, 8, all.get_width(), all.get_height());
    picture->fill(0xffffffff);
    for (const auto& window : windows) {
        int x = 0, y = 0;
        window->get_origin(x, y);
        Gdk::Pixbuf::create(window, 0, 0, window->get_width(), window->get_height())
            ->copy_area(0, 0, window->get_width(), window->get_height(), picture, x - all.get_x(), y - all.get_y());
    }
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/" + name + ".png", "png");
}

class Screenshots : public MakerFixture {};

TEST_F(Screenshots, TheMakerAndACreatedProgram) {
    ASSERT_TRUE(show_and_wait_drawn(forms.frmSplash()));
    save({forms.frmSplash().get_window()}, "start_menu");
    for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&main(), &positions(), &window_dialog()})
        ASSERT_TRUE(show_and_wait_drawn(*window));
    save({main().get_window(), positions().get_window(), window_dialog().get_window()}, "maker");

    HttpServer server;
    server.serve("/home.html",
                 "<html><body style='background:#eef3fb;font-family:sans-serif;margin:24px'>"
                 "<h1>Granny's Browser</h1><p>Made with Kelvane: the buttons, colour and size above "
                 "were chosen in the maker.</p></body></html>");
    const std::pair<Gtk::Entry*, std::string> fields[] = {
        {&main().Text2, "Granny's Browser"}, {&main().Text3, "Go"}, {&main().Text6, "Back"}, {&main().Text7, "Reload"},
        {&main().Text4, server.url("/home.html")}, {&main().Text5, std::to_string(0x00B07830)},  // a steel blue
        {&main().txtExeFile, "granny"}};
    for (const auto& [field, text] : fields) field->set_text(text);
    main().Command2.clicked();
    Process program(folder / "granny");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    // Taken once the page is drawn: its background fills the middle of the web view.
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, window->width / 2, window->height / 2) == 0xeef3fbu; }));
    save({Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id))}, "created_program");
}

}  // namespace
}  // namespace kelvane::test
