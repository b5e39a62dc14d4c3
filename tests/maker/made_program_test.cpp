// From the maker's fields to a running program: every setting typed or chosen in the
// maker, compiled, stored under its key, and shown by the program started from the file
// and by the full preview opened from the same fields. The full preview on its own: its
// title, border and status bar follow their fields while it is open; its page comes back
// after its web process was killed, as a faulty page or the system would kill it.
#include <signal.h>
#include <unistd.h>

#include "common/program_trailer.h"
#include "maker/preview/preview_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/http_server.h"
#include "tests/support/media_files.h"
#include "tests/support/page_script.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

#include <functional>

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

using namespace std::string_literals;

// One setting: what the user does in the maker, what the compile stores under its key,
// and what a window configured from it shows (checked on the full preview; the created
// program's window is seen from outside).
struct Setting {
    std::string key;
    std::function<void()> set;
    Value stored;
    std::function<bool(BrowserWindow&)> shows;
};

class MadeProgram : public MakerFixture {};

TEST_F(MadeProgram, EverySettingReachesTheCreatedProgramAndThePreview) {
    HttpServer server;
    server.serve("/start.html", "<html><body style='background:#ffffff'>start</body></html>");
    const Picture icon = png_picture(32, 32), background = png_picture(60, 30, 0x11aa44ff);
    files = {picture_file("icon.png", icon), picture_file("back.png", background)};
    colours = {std::nullopt, 0x00336699, std::nullopt};  // red 0x99, green 0x66, blue 0x33
    const std::string home = server.url("/start.html"), song = (folder / "song.mp3").string();
    MainWindow& main = this->main();
    WindowDialog& dialog = window_dialog();
    auto type = [](Gtk::Entry& field, const std::string& text) { return [&field, text] { field.set_text(text); }; };
    auto caption = [](Gtk::Button BrowserWindow::*button, std::string text) {
        return [=](BrowserWindow& w) { return (w.*button).get_label() == text; };
    };
    auto choose_colour = [&] {
        main.Command6.clicked();
        EXPECT_EQ(main.Text5.get_text(), "0") << "a first cancel gives black";
        main.Command6.clicked();
        main.Command6.clicked();  // a later cancel keeps the colour chosen
    };
    std::vector<Setting> settings = {
        {"Caption", type(main.Text2, "Granny's Browser"), "Granny's Browser"s, nullptr},  // seen from outside
        {"Text", type(main.Text3, "Go"), "Go"s, caption(&BrowserWindow::Command1, "Go")},
        {"Text1", type(main.Text4, home), home, [&](BrowserWindow& w) { return w.Text1.get_text() == home; }},
        {"color", choose_colour, "3368601"s, nullptr},
        {"back", type(main.Text6, "Previous"), "Previous"s, caption(&BrowserWindow::Command2, "Previous")},
        {"refresh", type(main.Text7, "Reload"), "Reload"s, caption(&BrowserWindow::Command3, "Reload")},
        {"picture", [&] { main.Command5.clicked(); }, icon, nullptr},
        {"picture1", [&] { main.Command8.clicked(); }, background,
         [](BrowserWindow& w) { return w.Image1->get_width() == 60; }},
        // Before the song switch, whose click plays the song for a while.
        {"url", type(main.Text8, song), song, [&](BrowserWindow& w) { return w.WindowsMediaPlayer1.URL() == song; }},
        {"value", [&] { main.Check1.clicked(); }, std::int16_t{1},
         [](BrowserWindow& w) { return w.Check1 == 1 && w.WindowsMediaPlayer1.get_visible(); }},
        {"custom21", type(dialog.Text2, "5010"), "5010"s, [](BrowserWindow& w) { return w.height() == 5010; }},
        {"custom22", type(dialog.Text1, "7500"), "7500"s, [](BrowserWindow& w) { return w.width() == 7500; }},
        {"custom23", type(dialog.Text3, "2"), "2"s, [](BrowserWindow& w) { return w.border_style() == 2; }},
        {"custom24", type(dialog.Text4, "11"), "11"s, [](BrowserWindow& w) { return w.mouse_pointer() == 11; }},
        {"custom25", [] {}, "0"s, nullptr},     // the design's normal window
        {"custom26", [] {}, "True"s, nullptr},  // shows the status bar, but the player wins
    };
    // A layout of the user's own, a different number in every field: the width, height, top
    // and left of each control, in the position fields that hold them, stored as "custom"n.
    using enum Control;
    const Control controls[] = {Text1, Command1, Command2, Command3, WebBrowser1};
    const char* const layout[5][4] = {{"3300", "405", "150", "200"}, {"1500", "420", "160", "3600"}, {"1400", "410", "170", "5200"},
                                      {"1300", "395", "180", "6700"}, {"7999.5", "4200", "700", "240"}};
    float TwipsRect::* const edges[] = {&TwipsRect::width, &TwipsRect::height, &TwipsRect::top, &TwipsRect::left};
    auto at = [&](Placement& panel, Gtk::Widget& control, int e) { return (*panel.rect(control)).*edges[e]; };
    for (int c = 0; c < 5; ++c)
        for (int e = 0; e < 4; ++e) {
            const int n = c == 0 ? (e + 3) % 4 + 1 : 4 * c + e + 1;  // the address box's height comes first
            const float value = std::stof(layout[c][e]);
            settings.push_back({"custom" + std::to_string(n), type(positions().Text(n), layout[c][e]), layout[c][e],
                                [=](BrowserWindow& w) { return at(w.client(), w.control(controls[c]), e) == value; }});
        }
    main.show();
    const Glib::ustring shown_first = main.WebBrowser1.uri();
    for (const Setting& s : settings) s.set();
    // The live preview follows captions, address text and positions as they are typed, and
    // does not go to the typed home page.
    for (int c = 0; c < 5; ++c)
        for (int e = 0; e < 4; ++e)
            EXPECT_EQ(at(main.Frame1.area(), main.preview_control(controls[c]), e), std::stof(layout[c][e])) << c << e;
    EXPECT_EQ((std::vector{main.Command1.get_label(), main.Command3.get_label(), main.Command4.get_label(), main.Text1.get_text()}),
              (std::vector<Glib::ustring>{"Go", "Previous", "Reload", home}));
    drain();
    EXPECT_EQ(main.WebBrowser1.uri(), shown_first);
    main.txtExeFile.set_text("granny");
    main.Command2.clicked();
    ASSERT_TRUE(messages.back().starts_with("Kelvane | 64 | ")) << messages.back();
    // As the window system shows the program and the preview: title, size, icon, the
    // background picture unscaled at the top-left corner, the colour where it shows through.
    auto shown = [](unsigned long id) {
        std::optional<XWindowInfo> info;
        EXPECT_TRUE(wait_until([&] { return (info = window_info(id)) && info->title == "Granny's Browser"; }));
        EXPECT_EQ(info ? std::pair(info->width, info->height) : std::pair(0, 0), std::pair(7500 / 15, 5010 / 15));
        EXPECT_EQ(window_icon_size(id), std::make_pair(32, 32));
        EXPECT_TRUE(wait_until([&] { return pixel(id, 2, 2) == 0x11aa44u; })) << "the background picture";
        EXPECT_EQ(pixel(id, 4, 100), 0x996633u) << "the window's colour";
        EXPECT_EQ(pixel(id, (5200 / 15) + 5, (170 + 410 / 2) / 15), 0x996633u) << "the back button's colour";
    };
    for (Gtk::Window* w : std::initializer_list<Gtk::Window*>{&main, &positions(), &dialog}) w->hide();
    {
        SCOPED_TRACE("created program");
        // Started before anything in this process shows the home page, so the request is its.
        Process program(folder / "granny");
        auto window = find_window(program.pid());
        ASSERT_TRUE(window);
        EXPECT_TRUE(server.wait_for("/start.html"));
        shown(window->id);
    }

    const SettingsRecord stored = read_trailer(folder / "granny");
    EXPECT_EQ(stored.size(), 36u);
    dialog.Command2.clicked();
    PreviewWindow& preview = forms.frmMain();
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.key);
        EXPECT_EQ(stored.ReadProperty(s.key), s.stored);
        if (s.shows) {
            EXPECT_TRUE(s.shows(preview)) << "in the full preview";
        }
    }
    EXPECT_TRUE(preview.StatusBar1.get_visible()) << "the preview shows the status bar beside the player";
    ASSERT_TRUE(show_and_wait_drawn(preview));
    SCOPED_TRACE("full preview");
    shown(gdk_x11_window_get_xid(preview.get_window()->gobj()));
}

using Preview = MakerFixture;

// Only the unchosen colour's exact words keep it closed. Open, its title keeps to its field
// whoever changes it; positions, and the rest, wait for the next opening, which loads the
// fields of that moment. A click while it is open sets only the status bar, shown for the
// exact flag "True" alone. Killed, the page comes back by Refresh, then by Browse.
TEST_F(Preview, OpensWithAColourAndFollowsTitleBorderAndStatusFlagWhileOpen) {
    main().show();
    main().Text4.set_text("about:blank");
    main().Text8.set_text("");
    const auto open = [&]() -> PreviewWindow& { window_dialog().Command2.clicked(); return forms.frmMain(); };
    window_dialog().Command2.clicked();
    EXPECT_EQ(messages, std::vector<std::string>{"Kelvane | 0 | Please select a program color"});
    EXPECT_FALSE(forms.loaded(FormId::frmMain)) << "not opened";
    main().Text5.set_text("Ｐｒｏｇｒａｍｓ Ｃｏｌｏｒ");  // look-alike letters are another text
    PreviewWindow& preview = open();
    EXPECT_EQ(preview.get_title(), "Program Name");
    main().Text2.set_text("Live title");
    EXPECT_EQ(preview.get_title(), "Live title");
    window_dialog().Text3.set_text("3");
    EXPECT_EQ(preview.get_type_hint(), Gdk::WINDOW_TYPE_HINT_DIALOG);
    window_dialog().Text3.set_text("x");
    preview.set_title("Changed by someone else");
    EXPECT_EQ(preview.border_style(), 3);
    EXPECT_EQ(preview.get_title(), "Live title");
    positions().Text(8).set_text("2000");
    for (const char* flag : {"true", "Ｔｒｕｅ", "True"}) {
        window_dialog().Text6.set_text(flag);
        EXPECT_EQ(&open(), &preview);
        EXPECT_EQ(preview.StatusBar1.get_visible(), flag == std::string("True")) << flag;
    }
    EXPECT_EQ(preview.client().rect(preview.Command1)->left, 3840);

    preview.close();
    drain();
    EXPECT_FALSE(forms.loaded(FormId::frmMain));
    main().Text2.set_text("After closing");  // nothing follows a closed preview
    PreviewWindow& reopened = open();
    EXPECT_EQ(reopened.client().rect(reopened.Command1)->left, 2000);
    EXPECT_EQ(reopened.get_title(), "After closing");
    EXPECT_EQ(std::count(unloaded.begin(), unloaded.end(), FormId::frmMain), 1);

    HttpServer server;
    server.serve("/page.html", "<html><head><title>Local page</title></head><body>local</body></html>");
    const auto shows = [&](const std::string& title) {
        return pump_until([&] { return page_title(reopened.WebBrowser1.widget()) == title && !reopened.WebBrowser1.loading(); });
    };
    reopened.Text1.set_text(server.url("/page.html"));
    reopened.Command1_Click();
    ASSERT_TRUE(shows("Local page"));
    const std::function<void()> refresh_then_browse[] = {[&] { reopened.Command3_Click(); }, [&] { reopened.Command1_Click(); }};
    for (const auto& reload : refresh_then_browse) {
        // Only processes that are up are killed: the engine ends the whole program when one
        // dies while it is still being started, and the live preview may still be loading.
        ASSERT_TRUE(pump_until([&] { return !main().WebBrowser1.loading() && !reopened.WebBrowser1.loading(); }));
        const auto web_processes = descendants(getpid(), "WebKitWebProces");
        ASSERT_FALSE(web_processes.empty());
        for (pid_t pid : web_processes) kill(pid, SIGKILL);
        ASSERT_TRUE(shows("Page stopped working"));
        const std::string text = page_text(reopened.WebBrowser1.widget());
        EXPECT_NE(text.find(server.url("/page.html")), std::string::npos) << text;
        EXPECT_NE(text.find("Refresh"), std::string::npos) << text;
        const int asked = server.count("/page.html");
        reload();
        EXPECT_TRUE(pump_until([&] { return server.count("/page.html") == asked + 1; }));
        EXPECT_TRUE(shows("Local page"));
    }
    EXPECT_EQ(messages.size(), 1u) << "only that the colour was not chosen";
}

}  // namespace
}  // namespace kelvane::test
