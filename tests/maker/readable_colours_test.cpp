// Text on the user's colour reads (4.5:1): the rule over a grid of colours, and the pixels of
// created programs on dark and light colours under the light and the dark theme, whose
// pictures are kept with the maker's (build/screenshots).
#include <gdkmm/pixbuf.h>

#include <gtest/gtest.h>

#include "platform/colors.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

Gdk::RGBA rgb(int r, int g, int b) { Gdk::RGBA c; c.set_rgba_u(r * 257, g * 257, b * 257); return c; }

TEST(ReadableTextColor, ReadsOnEveryColour) {
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5)
                ASSERT_GE(contrast_ratio(rgb(r, g, b), readable_text_color(rgb(r, g, b))), 4.5) << r << ',' << g << ',' << b;
    EXPECT_DOUBLE_EQ(contrast_ratio(rgb(0, 0, 0), rgb(255, 255, 255)), 21);
    EXPECT_DOUBLE_EQ(contrast_ratio(rgb(119, 119, 119), rgb(119, 119, 119)), 1);
}

struct Look { const char* name; std::int32_t colour /* 0x00BBGGRR */; bool dark_theme; };

class ReadableColours : public testing::TestWithParam<Look> {};

TEST_P(ReadableColours, InACreatedProgram) {
    TempDir folder;
    HttpServer server;
    server.serve("/home.html", "<html><body style='background:#fff;font-family:sans-serif'><h1>Granny's Browser</h1></body></html>");
    SettingsRecord record = default_record();
    for (const auto& [key, text] : {std::pair{"Caption", "Granny's Browser"}, {"Text", "Go"}, {"back", "Back"}, {"refresh", "Reload"}})
        record.WriteProperty(key, std::string(text));
    record.WriteProperty("color", std::to_string(GetParam().colour));
    record.WriteProperty("Text1", server.url("/home.html"));
    make_created_program(folder / "program", record);
    Process program(folder / "program", {}, {{"GTK_THEME", GetParam().dark_theme ? "Adwaita:dark" : "Adwaita"}});
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    // Into the page, so that the address box shows its text unselected.
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, 300, 200) == 0xffffffu; }) && click(window->id, 300, 200));
    const std::int32_t c = GetParam().colour;
    auto gdk = Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), window->id));
    Glib::RefPtr<Gdk::Pixbuf> picture;
    std::string seen;  // what the last look found
    // The address box and the three buttons at their design places, in pixels: inside each,
    // its frame left out, most pixels are the chosen colour and some, of the text, read on it.
    EXPECT_TRUE(wait_until([&] {
        picture = Gdk::Pixbuf::create(gdk, 0, 0, window->width, window->height);
        seen.clear();
        for (const Gdk::Rectangle& control : {Gdk::Rectangle(8, 8, 249, 25), {256, 8, 113, 25}, {368, 8, 113, 25}, {480, 8, 97, 25}}) {
            int chosen = 0, all = 0;
            double best = 1;
            for (int y = control.get_y() + 4; y < control.get_y() + control.get_height() - 4; ++y)
                for (int x = control.get_x() + 4; x < control.get_x() + control.get_width() - 4; ++x, ++all) {
                    const guint8* p = picture->get_pixels() + y * picture->get_rowstride() + x * picture->get_n_channels();
                    chosen += (p[0] | p[1] << 8 | p[2] << 16) == c;
                    best = std::max(best, contrast_ratio(rgb(p[0], p[1], p[2]), rgb(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF)));
                }
            if (chosen * 2 <= all || best < 4.5)
                seen += std::to_string(control.get_x()) + ": " + std::to_string(chosen) + " of " + std::to_string(all) +
                        " pixels in the colour, best contrast " + std::to_string(best) + "\n";
        }
        return seen.empty();
    })) << seen;
    std::filesystem::create_directories(KELVANE_SCREENSHOTS);
    picture->save(std::string(KELVANE_SCREENSHOTS) + "/created_program_" + GetParam().name + ".png", "png");
}

INSTANTIATE_TEST_SUITE_P(Colours, ReadableColours,
                         testing::Values(Look{"Black", 0x000000, false}, Look{"DarkBlue", 0x800000, false},
                                         Look{"Red", 0x0000FF, false}, Look{"White", 0xFFFFFF, false},
                                         Look{"BlackDarkTheme", 0x000000, true}, Look{"WhiteDarkTheme", 0xFFFFFF, true},
                                         Look{"YellowDarkTheme", 0x00FFFF, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane::test
