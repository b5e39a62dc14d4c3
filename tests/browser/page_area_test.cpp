// The page area of a created program, used as a person would: a page's full screen,
// printing, a form sent again and the right-click menu. The pages report to the test
// server what happened.
#include <gdkmm/window.h>
#include <gtkmm/clipboard.h>

#include "tests/browser/started_program.h"
#include "tests/support/keyboard.h"
#include "tests/support/pump.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

constexpr unsigned long kGreen = 0x00ff00;

// A page on a green body that fills it, which reports being shown and its width then.
std::string green_page(const std::string& name, const std::string& body = "") {
    return "<html><body style='margin:0;background:#0f0;height:100vh'><script>addEventListener('pageshow', () => "
           "fetch('/shown/" + name + "/' + innerWidth))</script>" + body + "</body></html>";
}

// Without a window manager the window under the pointer has the keyboard.
class PageArea : public StartedProgram {
protected:
    void start_shown(const std::string& name = "program") {
        start(name, environment);
        ASSERT_TRUE(wait_until([&] { return pixel(window, 300, 200) == kGreen; }));
    }
    // The program's windows and menus on the screen, less the small ones GTK keeps off it.
    long windows() {
        const auto shown = windows_of(program->pid());
        return std::count_if(shown.begin(), shown.end(), [](const XWindowInfo& w) { return w.width > 20; });
    }
    std::map<std::string, std::string> environment;
};

// Where the window stands, its size and its frame.
std::array<long, 8> placement(unsigned long id) {
    int x = 0, y = 0;
    Glib::wrap(gdk_x11_window_foreign_new_for_display(Gdk::Display::get_default()->gobj(), id))->get_origin(x, y);
    const auto info = window_info(id).value_or(XWindowInfo{});
    const auto frame = frame_extents(id).value_or(std::array<long, 4>{});
    return {x, y, info.width, info.height, frame[0], frame[1], frame[2], frame[3]};
}

// Full screen is the window manager's to give: with a fixed border left by Escape, with a
// sizable one by the page itself.
class FullScreen : public PageArea, public testing::WithParamInterface<const char*> {};

TEST_P(FullScreen, TheViewAloneCoversTheScreenAndTheWindowComesBackAsConfigured) {
    server.serve("/home.html", green_page("home", "<script>document.onclick = () => document.fullscreenElement ? "
                                                  "document.exitFullscreen() : document.documentElement.requestFullscreen()"
                                                  "</script>"));
    const bool sizable = GetParam() == std::string("2");
    record.WriteProperty("custom23", std::string(GetParam()));
    record.WriteProperty("Caption", std::string("Configured"));
    manager = std::make_unique<WindowManager>();
    ASSERT_TRUE(manager->running()) << "openbox did not start";
    start_shown();
    const auto configured = placement(window);
    ASSERT_TRUE(click(window, 300, 200));
    const auto [screen_width, screen_height] = screen_size();
    // The page's green everywhere, also where the address box and the status bar were.
    EXPECT_TRUE(wait_until([&] {
        const auto now = placement(window);
        return now[2] == screen_width && now[3] == screen_height && pixel(window, 20, 20) == kGreen &&
               pixel(window, screen_width / 2, screen_height - 3) == kGreen;
    }));
    ASSERT_TRUE(sizable ? click(window, 300, 200) : press_keys("Escape"));
    EXPECT_TRUE(wait_until([&] { return placement(window) == configured && pixel(window, 20, 20) != kGreen; }));
    EXPECT_EQ(wm_name(window), "Configured");
    EXPECT_EQ(resizable(window), sizable);
}

INSTANTIATE_TEST_SUITE_P(Borders, FullScreen, testing::Values("1", "2"),
                         [](const auto& info) { return std::string("Border") + info.param; });

// The right-click menu opens a link in the desktop's browser and copies addresses. Ctrl+P
// opens the desktop's print dialog; F5 on a page that came from a form asks first, and
// Enter gives the default answer, No, which sends nothing; Yes sends the form again.
TEST_F(PageArea, RightClickMenuPrintingAndAFormSentAgainOnlyWhenTheUserSaysSo) {
    const auto opened = register_default_handler(folder.path(), {"http", "https"});
    environment = {{"XDG_DATA_HOME", (folder / "data").string()}, {"XDG_CONFIG_HOME", (folder / "config").string()}};
    server.serve("/home.html", green_page("home", "<a href='/linked.html' style='display:block;height:50vh'>link</a><form "
                                                  "method=post action=/posted.html><button style='width:100vw;height:50vh;"
                                                  "background:#0f0;border:0'></button></form>"));
    server.serve("/posted.html", green_page("posted"));
    start_shown();
    const std::string link = server.url("/linked.html");
    auto copied = [](const std::string& text) { return [text] { return Gtk::Clipboard::get()->wait_for_text() == text; }; };
    const std::tuple<int, std::vector<const char*>, std::function<bool()>> choices[] = {
        {50, {"Down", "Down"}, [&] { return read_all(opened) == link + "\n"; }},  // the one after "Open Link"
        {50, {"Down", "Down", "Down", "Down"}, copied(link)},                       // "Copy Link Address"
        {250, {"Up"}, copied(server.url("/home.html"))},                          // the last
    };
    for (const auto& [y, keys, done] : choices) {
        ASSERT_TRUE(pointer_move(window, 300, y) && press_keys("button3"));
        ASSERT_TRUE(wait_until([&] { return windows() == 2; })) << "no menu";
        for (const char* key : keys) ASSERT_TRUE(press_keys(key));
        ASSERT_TRUE(press_keys("Return"));
        EXPECT_TRUE(pump_until(done)) << keys.size();
    }
    EXPECT_EQ(server.count("/linked.html"), 0) << "the program did not follow the link itself";

    ASSERT_TRUE(click(window, 300, 250) && server.wait_for("/shown/posted/569"));
    ASSERT_TRUE(press_keys("ctrl+p") && find_window_titled("Print") && press_keys("Escape"));
    ASSERT_TRUE(wait_until([&] { return windows() == 1; }));
    for (const char* answer : {"Return", "alt+y"}) {
        ASSERT_TRUE(pointer_move(window, 300, 200) && press_keys("F5"));
        const auto question = find_window_titled("Send the form again?");
        ASSERT_TRUE(question && pointer_move(question->id, 10, 10) && press_keys(answer));
        ASSERT_TRUE(wait_until([&] { return windows() == 1; }));
    }
    EXPECT_TRUE(server.wait_for("/posted.html", 2));
    EXPECT_EQ(server.count("/posted.html"), 2);
}

}  // namespace
}  // namespace kelvane::test
