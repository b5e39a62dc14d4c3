// The maker's windows and a created program as they stand on the screen: every caption
// and label reads whole on every page, and pictures of them are saved for people to look
// at (build/screenshots; the README shows copies from docs/).
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

// Saves the picture and tells how many colours it has: more than an empty frame.
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

// Nothing cut short, nothing beyond the place it has.
void expect_readable(Gtk::Widget& widget) {
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && label->get_mapped()) {
        int width = 0, height = 0;
        label->get_layout()->get_pixel_size(width, height);
        EXPECT_FALSE(label->get_layout()->is_ellipsized()) << label->get_text();
        EXPECT_LE(width, label->get_allocated_width()) << label->get_text();
        EXPECT_LE(height, label->get_allocated_height()) << label->get_text();
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children()) expect_readable(*child);
}

class Screenshots : public MakerFixture {};

TEST_F(Screenshots, EveryCaptionAndLabelOfTheMakerReadsWholeOnEveryPage) {
    std::vector<Gtk::Window*> maker = {&main(), &positions(), &window_dialog()};
    EXPECT_GT(snapshot({&forms.frmSplash()}, "start_menu"), 50u);
    EXPECT_GT(snapshot(maker, "maker"), 50u);
    for (Gtk::Window* w : maker) expect_readable(*w);
    expect_readable(forms.frmSplash());

    // The other pages: the background preview, the position dialog's second page, the
    // start menu's options.
    main().Frame3.show();
    EXPECT_EQ(positions().Command1.get_label(), "More Options");
    positions().Command1.clicked();
    EXPECT_TRUE(positions().Frame1.get_visible());
    EXPECT_EQ(positions().Command1.get_label(), "back");
    forms.frmSplash().Label2_Click();
    maker.push_back(&forms.frmSplash());
    for (Gtk::Window* w : maker) {
        ASSERT_TRUE(show_and_wait_drawn(*w));
        expect_readable(*w);
    }
    positions().Command1.clicked();
    EXPECT_FALSE(positions().Frame1.get_visible());
    EXPECT_EQ(positions().Command1.get_label(), "More Options");
}

TEST_F(Screenshots, CreatedProgram) {
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
    auto foreign = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id));
    EXPECT_GT(save(Gdk::Pixbuf::create(foreign, 0, 0, window->width, window->height), "created_program"), 50u);
}

}  // namespace
}  // namespace kelvane::test
