// Text reads (4.5:1) on what is painted behind it: the rule over a grid of colours; the
// pixels of a created program on dark and light colours, with its window active and in the
// background; every text of the maker's main window and full preview, the colour preview
// and the theme's panels included, focused or not; under the light and the dark theme.
#include <gdkmm/pixbuf.h>
#include <gtkmm/settings.h>

#include "maker/preview/preview_window.h"
#include "platform/colors.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/widgets.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

Gdk::RGBA rgb(int r, int g, int b) {
    Gdk::RGBA colour;
    colour.set_rgba_u(r * 257, g * 257, b * 257);
    return colour;
}

TEST(ReadableTextColor, ReadsOnEveryColour) {
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5)
                ASSERT_GE(contrast_ratio(rgb(r, g, b), readable_text_color(rgb(r, g, b))), 4.5) << r << ',' << g << ',' << b;
    EXPECT_DOUBLE_EQ(contrast_ratio(rgb(0, 0, 0), rgb(255, 255, 255)), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio(rgb(119, 119, 119), rgb(119, 119, 119)), 1);
}

Gdk::RGBA style_colour(GtkWidget* widget, const char* property) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    GdkRGBA* colour = nullptr;
    gtk_style_context_get(style, gtk_style_context_get_state(style), property, &colour, nullptr);
    return Gdk::RGBA(colour, false);
}

// Each text against the nearest background painted behind it; a push button that the theme
// draws (its colour a picture) pairs its text with that itself.
std::vector<std::string> unreadable_texts(Gtk::Window& window) {
    std::vector<std::string> found;
    for_each_widget(GTK_WIDGET(window.gobj()), [&](GtkWidget* widget) {
        if (!gtk_widget_is_drawable(widget) || !(GTK_IS_LABEL(widget) || GTK_IS_ENTRY(widget))) return;
        const Gdk::RGBA text = style_colour(widget, "color");
        for (GtkWidget* w = widget; w; w = gtk_widget_get_parent(w)) {
            const Gdk::RGBA back = style_colour(w, "background-color");
            if (back.get_alpha() < 1 && GTK_IS_BUTTON(w) && !GTK_IS_TOGGLE_BUTTON(w)) break;
            if (back.get_alpha() < 1) continue;
            if (contrast_ratio(text, back) < 4.5) found.push_back(text.to_string() + " on " + back.to_string());
            break;
        }
    });
    return found;
}

struct Look {
    const char* name;
    std::int32_t colour;  // 0x00BBGGRR
    bool dark_theme;
};

void PrintTo(const Look& look, std::ostream* out) { *out << look.name; }

class ReadableColours : public MakerFixture, public testing::WithParamInterface<Look> {
protected:
    ReadableColours() {
        Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = GetParam().dark_theme;
        Gtk::Settings::get_default()->property_gtk_enable_animations() = false;  // colours as they end up
    }
    ~ReadableColours() override { Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = false; }
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
    const std::int32_t c = GetParam().colour;
    const Gdk::RGBA back = rgb(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
    auto gdk = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id));
    // Active (the pointer in it: there is no window manager) and in the background.
    for (bool active : {true, false}) {
        ASSERT_TRUE(active ? pointer_move(window->id, 300, 200) : pointer_move(window->id, window->width + 50, 0));
        // Looked at once two looks in a row find the same pixels.
        auto grab = [&] { return Gdk::Pixbuf::create(gdk, 0, 0, window->width, window->height); };
        auto picture = grab();
        pump_until([&] {
            auto again = std::exchange(picture, grab());
            return std::equal(again->get_pixels(), again->get_pixels() + again->get_byte_length(), picture->get_pixels());
        });
        // The address box and the three buttons at their design places, in pixels: inside
        // each, its frame left out, most pixels are the chosen colour and some, of the text, read on it.
        for (const Gdk::Rectangle& control : {Gdk::Rectangle(8, 8, 249, 25), {256, 8, 113, 25}, {368, 8, 113, 25}, {480, 8, 97, 25}}) {
            int chosen = 0, all = 0;
            double best = 1;
            for (int y = control.get_y() + 4; y < control.get_y() + control.get_height() - 4; ++y)
                for (int x = control.get_x() + 4; x < control.get_x() + control.get_width() - 4; ++x, ++all) {
                    const guint8* p = picture->get_pixels() + y * picture->get_rowstride() + x * picture->get_n_channels();
                    chosen += (p[0] | p[1] << 8 | p[2] << 16) == c;
                    best = std::max(best, contrast_ratio(rgb(p[0], p[1], p[2]), back));
                }
            EXPECT_GT(chosen * 2, all) << "control at " << control.get_x() << ", active " << active;
            EXPECT_GE(best, 4.5) << "control at " << control.get_x() << ", active " << active;
        }
    }
}

TEST_P(ReadableColours, InTheMakersWindows) {
    colours.push_back(GetParam().colour);  // for the colour preview and the full preview
    main().Command6.clicked();
    main().Frame3.show();
    window_dialog().Command2.clicked();
    for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&main(), &forms.frmMain()}) {
        for (bool backdrop : {false, true}) {
            backdrop ? window->set_state_flags(Gtk::STATE_FLAG_BACKDROP, false)
                     : window->unset_state_flags(Gtk::STATE_FLAG_BACKDROP);
            ASSERT_TRUE(show_and_wait_drawn(*window));
            EXPECT_EQ(unreadable_texts(*window), std::vector<std::string>{}) << window->get_title() << ", backdrop " << backdrop;
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
