// Text on the user's colour reads: the rule over a grid of colours, and the pixels of a
// created program, the live preview and the full preview on dark and light colours, under
// the light and the dark theme, with the window active and in the background.
#include <gdkmm/pixbuf.h>
#include <gtkmm/settings.h>

#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"
#include "platform/colors.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/window_manager.h"
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
    const Gdk::RGBA black("#000"), white("#fff");
    EXPECT_DOUBLE_EQ(contrast_ratio(black, white), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio(white, black), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio(Gdk::RGBA("#777"), Gdk::RGBA("#777")), 1);
}

// The best contrast that any pixel of the control's inside (its frame left out) makes with
// the chosen colour, which must also be what most of them show.
double text_contrast(const Glib::RefPtr<Gdk::Pixbuf>& picture, const Gdk::Rectangle& control, std::int32_t colour) {
    const Gdk::RGBA back = *colour_to_rgba(colour);
    const int inset = 4;
    int background = 0, all = 0;
    double best = 1;
    for (int y = control.get_y() + inset; y < control.get_y() + control.get_height() - inset; ++y)
        for (int x = control.get_x() + inset; x < control.get_x() + control.get_width() - inset; ++x) {
            const guint8* p = picture->get_pixels() + y * picture->get_rowstride() + x * picture->get_n_channels();
            Gdk::RGBA seen;
            seen.set_rgba_u(p[0] * 257, p[1] * 257, p[2] * 257);
            ++all;
            if (rgba_to_colour(seen) == colour) ++background;
            best = std::max(best, contrast_ratio(seen, back));
        }
    EXPECT_GT(background * 2, all) << "the control's back colour is the chosen one";
    return best;
}

struct Look {
    const char* name;
    std::int32_t colour;  // 0x00BBGGRR
    bool dark_theme;
};

void PrintTo(const Look& look, std::ostream* out) { *out << look.name; }

class ReadableColours : public MakerFixture, public testing::WithParamInterface<Look> {
protected:
    ReadableColours() { dark_theme() = GetParam().dark_theme; }
    ~ReadableColours() override { dark_theme() = false; }
    static Glib::PropertyProxy<bool> dark_theme() {
        return Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme();
    }
    void expect_readable(const Glib::RefPtr<Gdk::Pixbuf>& picture, const std::vector<Gdk::Rectangle>& controls,
                         const std::string& where) {
        for (std::size_t i = 0; i < controls.size(); ++i)
            EXPECT_GE(text_contrast(picture, controls[i], GetParam().colour), 4.5) << where << ", control " << i;
    }
};

// The address box and the three buttons at the design's places, in pixels.
const std::vector<Gdk::Rectangle> kTopBar = {{8, 8, 249, 25}, {256, 8, 113, 25}, {368, 8, 113, 25}, {480, 8, 97, 25}};

// The window as the X server shows it, once two looks in a row find the same pixels.
Glib::RefPtr<Gdk::Pixbuf> settled_picture(unsigned long id) {
    auto foreign = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), id));
    auto grab = [&] { return Gdk::Pixbuf::create(foreign, 0, 0, foreign->get_width(), foreign->get_height()); };
    auto last = grab();
    pump_until([&] {
        auto now = grab();
        const bool same = std::equal(now->get_pixels(), now->get_pixels() + now->get_byte_length(), last->get_pixels());
        last = now;
        return same;
    });
    return last;
}

TEST_P(ReadableColours, InACreatedProgramActiveAndInTheBackground) {
    HttpServer server;
    server.serve("/home.html", "<html><body style='background:#fff'></body></html>");
    SettingsRecord record = default_record();
    record.WriteProperty("color", std::to_string(GetParam().colour));
    record.WriteProperty("Text1", server.url("/home.html"));
    make_created_program(folder / "program", record);
    Process program(folder / "program", {}, {{"GTK_THEME", GetParam().dark_theme ? "Adwaita:dark" : "Adwaita"}});
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, 300, 200) == 0xffffffu; }));
    // Into the page, so the address box shows its text unselected; without a window
    // manager the window under the pointer is the active one.
    ASSERT_TRUE(click(window->id, 300, 200));
    for (bool active : {true, false}) {
        if (!active) {
            ASSERT_TRUE(pointer_move(window->id, window->width + 50, window->height + 50));
        }
        expect_readable(settled_picture(window->id), kTopBar, active ? "active" : "in the background");
    }
}

TEST_P(ReadableColours, InTheMakersPreviews) {
    colours.push_back(GetParam().colour);
    MainWindow& main = forms.Form1();
    main.Text4.set_text("about:blank");
    main.Command6.clicked();
    forms.Form3().Command2.clicked();
    ASSERT_TRUE(show_and_wait_drawn(main));
    int x = 0, y = 0;
    main.Label1.translate_coordinates(main, 0, 0, x, y);
    const Gdk::Rectangle colour_preview(x, y, main.Label1.get_width(), main.Label1.get_height());
    const std::pair<Gtk::Window*, std::vector<Gdk::Rectangle>> windows[] = {{&main, {colour_preview}},
                                                                             {&forms.frmMain(), kTopBar}};
    for (const auto& [window, controls] : windows) {
        ASSERT_TRUE(show_and_wait_drawn(*window));
        auto gdk = window->get_window();
        const auto id = gdk_x11_window_get_xid(gdk->gobj());
        for (bool active : {true, false}) {
            // Without a window manager the window under the pointer is the active one.
            ASSERT_TRUE(active ? pointer_move(id, 4, 4) : pointer_move(id, gdk->get_width() + 50, gdk->get_height() + 50));
            expect_readable(settled_picture(id), controls, active ? "active" : "in the background");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Colours, ReadableColours,
                         testing::Values(Look{"Black", 0x000000, false}, Look{"DarkBlue", 0x800000, false},
                                         Look{"Red", 0x0000FF, false}, Look{"White", 0xFFFFFF, false},
                                         Look{"BlackDarkTheme", 0x000000, true}, Look{"WhiteDarkTheme", 0xFFFFFF, true},
                                         Look{"YellowDarkTheme", 0x00FFFF, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
