// Text on the user's colour reads: the rule over a grid of colours, and the pixels of a
// created program, the colour preview and the full preview on dark and light colours,
// under the light and the dark theme, with the window active and in the background.
#include <gdkmm/pixbuf.h>
#include <gtkmm/settings.h>

#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "platform/colors.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

TEST(ReadableTextColor, ReadsOnEveryColour) {
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5) {
                Gdk::RGBA back;
                back.set_rgba_u(r * 257, g * 257, b * 257);
                ASSERT_GE(contrast_ratio(back, readable_text_color(back)), 4.5) << r << ',' << g << ',' << b;
            }
    EXPECT_DOUBLE_EQ(contrast_ratio(Gdk::RGBA("#000"), Gdk::RGBA("#fff")), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio(Gdk::RGBA("#777"), Gdk::RGBA("#777")), 1);
}

struct Look {
    const char* name;
    std::int32_t colour;  // 0x00BBGGRR
    bool dark_theme;
};

void PrintTo(const Look& look, std::ostream* out) { *out << look.name; }

// The address box and the three buttons at the design's places, in pixels.
const std::vector<Gdk::Rectangle> kTopBar = {{8, 8, 249, 25}, {256, 8, 113, 25}, {368, 8, 113, 25}, {480, 8, 97, 25}};

class ReadableColours : public MakerFixture, public testing::WithParamInterface<Look> {
protected:
    ReadableColours() { dark_theme() = GetParam().dark_theme; }
    ~ReadableColours() override { dark_theme() = false; }
    static Glib::PropertyProxy<bool> dark_theme() {
        return Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme();
    }

    // Looks at the window once two looks in a row find the same pixels, active (the
    // pointer in it: there is no window manager) and in the background. Inside each
    // control (its frame left out) most pixels are the chosen colour, and some pixel, of
    // the text, reads on it.
    void expect_readable(unsigned long id, const std::vector<Gdk::Rectangle>& controls) {
        auto window = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), id));
        const Gdk::RGBA back = *colour_to_rgba(GetParam().colour);
        for (bool active : {true, false}) {
            ASSERT_TRUE(active ? pointer_move(id, 300, 200) : pointer_move(id, window->get_width() + 50, 0));
            auto grab = [&] { return Gdk::Pixbuf::create(window, 0, 0, window->get_width(), window->get_height()); };
            auto picture = grab();
            pump_until([&] {
                auto again = std::exchange(picture, grab());
                return std::equal(again->get_pixels(), again->get_pixels() + again->get_byte_length(), picture->get_pixels());
            });
            for (const Gdk::Rectangle& control : controls) {
                int chosen = 0, all = 0;
                double best = 1;
                for (int y = control.get_y() + 4; y < control.get_y() + control.get_height() - 4; ++y)
                    for (int x = control.get_x() + 4; x < control.get_x() + control.get_width() - 4; ++x, ++all) {
                        const guint8* p = picture->get_pixels() + y * picture->get_rowstride() + x * picture->get_n_channels();
                        Gdk::RGBA seen;
                        seen.set_rgba_u(p[0] * 257, p[1] * 257, p[2] * 257);
                        chosen += rgba_to_colour(seen) == GetParam().colour;
                        best = std::max(best, contrast_ratio(seen, back));
                    }
                EXPECT_GT(chosen * 2, all) << "control at " << control.get_x() << (active ? ", active" : ", in the background");
                EXPECT_GE(best, 4.5) << "control at " << control.get_x() << (active ? ", active" : ", in the background");
            }
        }
    }
};

TEST_P(ReadableColours, InACreatedProgram) {
    HttpServer server;
    server.serve("/home.html", "<html><body style='background:#fff'></body></html>");
    SettingsRecord record = default_record();
    record.WriteProperty("color", std::to_string(GetParam().colour));
    record.WriteProperty("Text1", server.url("/home.html"));
    make_created_program(folder / "program", record);
    Process program(folder / "program", {}, {{"GTK_THEME", GetParam().dark_theme ? "Adwaita:dark" : "Adwaita"}});
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    // Into the page, so that the address box shows its text unselected.
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, 300, 200) == 0xffffffu; }) && click(window->id, 300, 200));
    expect_readable(window->id, kTopBar);
}

TEST_P(ReadableColours, InTheColourPreviewAndTheFullPreview) {
    colours.push_back(GetParam().colour);
    MainWindow& main = forms.Form1();
    main.Text4.set_text("about:blank");
    main.Command6.clicked();
    forms.Form3().Command2.clicked();
    ASSERT_TRUE(show_and_wait_drawn(main) && show_and_wait_drawn(forms.frmMain()));
    int x = 0, y = 0;
    main.Label1.translate_coordinates(main, 0, 0, x, y);
    expect_readable(gdk_x11_window_get_xid(main.get_window()->gobj()), {{x, y, main.Label1.get_width(), main.Label1.get_height()}});
    expect_readable(gdk_x11_window_get_xid(forms.frmMain().get_window()->gobj()), kTopBar);
}

INSTANTIATE_TEST_SUITE_P(Colours, ReadableColours,
                         testing::Values(Look{"Black", 0x000000, false}, Look{"DarkBlue", 0x800000, false},
                                         Look{"Red", 0x0000FF, false}, Look{"White", 0xFFFFFF, false},
                                         Look{"BlackDarkTheme", 0x000000, true}, Look{"WhiteDarkTheme", 0xFFFFFF, true},
                                         Look{"YellowDarkTheme", 0x00FFFF, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
