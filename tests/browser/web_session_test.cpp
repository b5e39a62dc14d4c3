// What a created program's web view does beyond showing pages, tried from outside on a
// site at 127.0.0.1: sessions kept between runs, new windows, downloads, a page that will
// not let the user go, and one program started twice. Each program gets a home folder of
// its own. (The sandbox's tests see pages rendered in the engine's sandbox.)
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/notifications.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// Each page reports being shown, also when it comes back from the page cache.
std::string page(const std::string& name, const std::string& body) {
    return "<html><head><title>" + name + "</title></head><body style='margin:0'>"
           "<script>addEventListener('pageshow', () => fetch('/shown/" + name + "'))</script>" + body + "</body></html>";
}

// A control filling the page, so that a click anywhere in the view reaches it.
std::string filling(const std::string& tag, const std::string& attributes) {
    return "<" + tag + " " + attributes + " style='display:block;width:100vw;height:100vh'>x</" + tag + ">";
}

class WebSession : public testing::Test {
protected:
    void SetUp() override {
        record = default_record();
        record.WriteProperty("Caption", std::string("Everyday Browser"));
        record.WriteProperty("Text1", server.url("/home.html"));
    }

    // A home folder of the program's own.
    std::map<std::string, std::string> environment() const {
        return {{"HOME", home.path().string()},
                {"XDG_DATA_HOME", (home / ".local/share").string()},
                {"XDG_CACHE_HOME", (home / ".cache").string()},
                {"XDG_CONFIG_HOME", (home / ".config").string()}};
    }
    // Starts the program made under `name` in that home, with more variables if given,
    // and finds its window once its home page was shown.
    std::unique_ptr<Process> start(const std::string& name, std::map<std::string, std::string> environment = {},
                                   const char* shown = "/shown/home") {
        const int shown_before = server.count(shown);
        make_created_program(folder / name, record);
        environment.merge(this->environment());
        auto program = std::make_unique<Process>(folder / name, std::vector<std::string>{}, environment);
        if (auto found = find_window(program->pid())) window = found->id;
        EXPECT_NE(window, 0u);
        EXPECT_TRUE(server.wait_for(shown, shown_before + 1));
        return program;
    }
    // The requests for a path that carried the given text among their headers.
    int requests_with(const std::string& path, const std::string& header) const {
        int n = 0;
        for (const auto& r : server.requests()) n += r.path == path && r.headers.find(header) != std::string::npos;
        return n;
    }
    // Clicks into the web view, which starts at (8, 40) pixels in the default layout.
    bool click_page() { return click(window, 100, 100); }
    void close_and_wait(Process& program) {
        ASSERT_TRUE(close_window(window));
        ASSERT_TRUE(program.wait(kPatience)) << "the program did not end when its window closed";
    }

    HttpServer server;
    TempDir folder, home;
    SettingsRecord record;
    unsigned long window = 0;
};

TEST_F(WebSession, LoginSurvivesARestartAndProgramsWithOtherNamesShareNothing) {
    // The page tells what it found in local storage, then leaves something there.
    server.serve("/home.html",
                 "<html><body><script>const found = localStorage.getItem('k') || 'nothing';"
                 "localStorage.setItem('k', 'kept'); fetch('/stored/' + found)</script></body></html>",
                 "text/html", "Set-Cookie: login=alice; Max-Age=86400; Path=/; HttpOnly\r\n");
    auto first = start("alpha", {}, "/stored/nothing");
    EXPECT_EQ(requests_with("/home.html", "login=alice"), 0);
    const std::string alpha_bytes = read_all(folder / "alpha");
    close_and_wait(*first);

    auto again = start("alpha", {}, "/stored/kept");
    EXPECT_EQ(requests_with("/home.html", "Cookie: login=alice"), 1) << "the login was lost at the restart";
    close_and_wait(*again);
    EXPECT_EQ(read_all(folder / "alpha"), alpha_bytes) << "a created program never writes its own file";

    auto other = start("beta", {}, "/stored/nothing");
    EXPECT_EQ(requests_with("/home.html", "login=alice"), 1) << "another program saw alpha's session";
    EXPECT_TRUE(std::filesystem::exists(home / ".local/share/kelvane/alpha"));
    EXPECT_TRUE(std::filesystem::exists(home / ".local/share/kelvane/beta"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2) << "only the two programs";
}

// A new window without features (a link's target) opens in the same view, and Back
// returns; a popup with a size opens a small window of its own that talks to its opener
// and closes with its page.
TEST_F(WebSession, NewWindowsOpenInTheViewOrAsPopupsWithASize) {
    server.serve("/home.html",
                 page("home", "<script>addEventListener('message', e => fetch('/opener-heard/' + e.data))</script>"
                              "<a href='/second.html' target='_blank' style='display:block;height:50vh'>new</a>"
                              "<button onclick=\"window.open('/signin.html', 'signin', 'width=400,height=300')\" "
                              "style='display:block;width:100vw;height:50vh'>popup</button>"));
    server.serve("/second.html", page("second", "second"));
    server.serve("/signin.html", page("signin", "<script>window.opener.postMessage('signed-in', '*')</script>" +
                                                    filling("button", "onclick='window.close()'")));
    auto program = start("browser");
    ASSERT_TRUE(click(window, 100, 100));  // the link, in the upper half of the view
    ASSERT_TRUE(server.wait_for("/shown/second", 1));
    EXPECT_EQ(windows_of(program->pid()).size(), 1u);
    ASSERT_TRUE(click(window, (5520 + 1695 / 2) / 15, (120 + 375 / 2) / 15));  // back
    ASSERT_TRUE(server.wait_for("/shown/home", 2));

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(click(window, 100, 260));  // the button, in the lower half
        std::optional<XWindowInfo> popup;
        ASSERT_TRUE(wait_until([&] {
            for (const auto& w : windows_of(program->pid()))
                if (w.id != window) popup = w;
            return popup && popup->title == "signin";
        }));
        EXPECT_EQ(popup->width, 400);
        EXPECT_EQ(popup->height, 300);
        ASSERT_TRUE(server.wait_for("/opener-heard/signed-in", round)) << "the popup could not reach its opener";
        EXPECT_EQ(server.count("/shown/home"), 2) << "the opener's page stays";
        if (round == 1) {
            ASSERT_TRUE(click(popup->id, 100, 100));  // the page closes itself
            ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 1; }));
            EXPECT_TRUE(program->running());
        }
    }
    EXPECT_EQ(server.count("/second.html"), 1);
    close_and_wait(*program);  // the main window ends the program, the popup with it
}

TEST_F(WebSession, TheDesktopSaysWhereADownloadWentWithTheStatusBarShownOrHidden) {
    NotificationService notifications;
    ASSERT_TRUE(notifications.ready()) << "no private session bus";
    server.serve("/report", "zip", "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    server.serve("/home.html", page("home", filling("a", "href='/report'")));
    // What the desktop's folder tool writes when there is no download folder: the home
    // folder itself, which is no place for downloads.
    std::filesystem::create_directories(home / ".config");
    std::ofstream(home / ".config/user-dirs.dirs") << "XDG_DOWNLOAD_DIR=\"$HOME/\"\n";
    for (const char* status_bar : {"True", "False"}) {
        SCOPED_TRACE(status_bar);
        record.WriteProperty("custom26", std::string(status_bar));
        const std::size_t told = notifications.summaries().size();
        auto program = start("browser", {{"DBUS_SESSION_BUS_ADDRESS", notifications.address()}});
        ASSERT_TRUE(click_page());
        ASSERT_TRUE(pump_until([&] { return notifications.summaries().size() > told; }));
        EXPECT_TRUE(notifications.summaries().back().starts_with("Downloaded report")) << notifications.summaries().back();
        EXPECT_TRUE(notifications.summaries().back().ends_with(" to " + (home / "Downloads").string()));
    }
    EXPECT_EQ(read_all(home / "Downloads/report.zip"), "zip");
}

TEST_F(WebSession, ClosingTheWindowEndsTheProgramWhateverDialogsThePageKeepsOpening) {
    server.serve("/home.html", "<html><body><script>for (;;) { alert('again'); prompt('and again'); }</script></body></html>");
    auto program = start("browser", {}, "/home.html");
    const auto main_window = find_window_titled("Everyday Browser");  // not a dialog's
    ASSERT_TRUE(main_window);
    window = main_window->id;
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 2; })) << "no dialog came";
    close_and_wait(*program);
}

TEST_F(WebSession, ASecondStartOpensItsWindowInTheRunningProgramWhichEndsWithItsLastWindow) {
    // The desktop's session bus, where a program finds itself running.
    std::unique_ptr<GTestDBus, decltype(&g_object_unref)> bus(g_test_dbus_new(G_TEST_DBUS_NONE), g_object_unref);
    const std::string display = g_getenv("DISPLAY");
    g_test_dbus_up(bus.get());  // which also forgets the display
    g_setenv("DISPLAY", display.c_str(), TRUE);
    auto environment = this->environment();
    environment["DBUS_SESSION_BUS_ADDRESS"] = g_test_dbus_get_bus_address(bus.get());
    server.serve("/home.html", "<html><body>home</body></html>", "text/html",
                 "Set-Cookie: login=alice; Max-Age=86400; Path=/\r\n");
    auto first = start("browser", environment, "/home.html");

    Process second(folder / "browser", {}, environment);
    ASSERT_TRUE(second.wait(kPatience)) << "the second start runs a program of its own";
    ASSERT_TRUE(wait_until([&] { return windows_of(first->pid()).size() == 2; }));
    ASSERT_TRUE(server.wait_for("/home.html", 2));
    EXPECT_EQ(requests_with("/home.html", "Cookie: login=alice"), 1) << "the windows do not share their cookies";

    ASSERT_TRUE(close_window(window));
    ASSERT_TRUE(wait_until([&] { return windows_of(first->pid()).size() == 1; }));
    EXPECT_TRUE(first->running());
    window = windows_of(first->pid()).front().id;
    close_and_wait(*first);
    g_test_dbus_down(bus.get());
}

}  // namespace
}  // namespace kelvane::test
