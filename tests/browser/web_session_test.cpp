// What a created program's web view does beyond showing pages, tried from outside on a
// site at 127.0.0.1: sessions kept between runs, new windows, downloads, pages rendered in
// the engine's sandbox, a page that will not let the user go, and one program started
// twice. Each program gets a home folder of its own.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/notifications.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kDeadline = 30s;

class WebSession : public testing::Test {
protected:
    void SetUp() override {
        record = default_record();
        record.WriteProperty("Caption", std::string("Everyday Browser"));
        record.WriteProperty("Text1", server.url("/home.html"));
    }

    // A home folder of its own, with the XDG folders inside it.
    std::map<std::string, std::string> environment() const {
        return {{"HOME", home.path().string()},
                {"XDG_DATA_HOME", (home / ".local/share").string()},
                {"XDG_CACHE_HOME", (home / ".cache").string()},
                {"XDG_CONFIG_HOME", (home / ".config").string()}};
    }

    std::filesystem::path make(const std::string& name) {
        const auto program = folder / name;
        make_created_program(program, record);
        return program;
    }

    // The requests for a path that carried the given text among their headers.
    int requests_with(const std::string& path, const std::string& header) const {
        int n = 0;
        for (const auto& r : server.requests())
            if (r.path == path && r.headers.find(header) != std::string::npos) ++n;
        return n;
    }

    HttpServer server;
    TempDir folder, home;
    SettingsRecord record;
};

// Where the sandbox can run, these pages are rendered in it: the web process has a PID
// namespace of its own.
void expect_sandboxed(pid_t program) {
    if (!web_sandbox_can_run()) return;
    auto web = web_process_of(program);
    ASSERT_TRUE(web);
    EXPECT_EQ(pid_namespace_levels(*web).size(), pid_namespace_levels(program).size() + 1);
}

// Clicks into the web view, which starts at (8, 40) pixels in the default layout.
bool click_page(unsigned long window) { return click(window, 100, 100); }

void close_and_wait(Process& program, unsigned long window) {
    ASSERT_TRUE(close_window(window));
    ASSERT_TRUE(program.wait(kDeadline)) << "the program did not end when its window closed";
}

TEST_F(WebSession, LoginSurvivesARestartAndProgramsWithOtherNamesShareNothing) {
    // The page tells what it found in local storage, then leaves something there.
    server.serve("/home.html",
                 "<html><body><script>const found = localStorage.getItem('k') || 'nothing';"
                 "localStorage.setItem('k', 'kept'); fetch('/stored/' + found)</script></body></html>",
                 "text/html", "Set-Cookie: login=alice; Max-Age=86400; Path=/; HttpOnly\r\n");
    const auto alpha = make("alpha");
    const std::string alpha_bytes = read_all(alpha);
    {
        Process first(alpha, {}, environment());
        auto window = find_window(first.pid());
        ASSERT_TRUE(window);
        ASSERT_TRUE(server.wait_for("/stored/nothing", 1));
        EXPECT_EQ(requests_with("/home.html", "login=alice"), 0);
        expect_sandboxed(first.pid());
        close_and_wait(first, window->id);
    }
    {
        Process again(alpha, {}, environment());
        auto window = find_window(again.pid());
        ASSERT_TRUE(window);
        ASSERT_TRUE(server.wait_for("/home.html", 2));
        EXPECT_EQ(requests_with("/home.html", "Cookie: login=alice"), 1) << "the login was lost at the restart";
        EXPECT_TRUE(server.wait_for("/stored/kept", 1)) << "local storage was lost at the restart";
        close_and_wait(again, window->id);
    }
    {
        Process other(make("beta"), {}, environment());
        ASSERT_TRUE(find_window(other.pid()));
        ASSERT_TRUE(server.wait_for("/stored/nothing", 2));
        EXPECT_EQ(requests_with("/home.html", "login=alice"), 1) << "another program saw alpha's session";
    }
    EXPECT_EQ(read_all(alpha), alpha_bytes) << "a created program never writes its own file";
    EXPECT_TRUE(std::filesystem::exists(home / ".local/share/kelvane/alpha"));
    EXPECT_TRUE(std::filesystem::exists(home / ".local/share/kelvane/beta"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2) << "only the two programs";
}

// Each page reports being shown, also when it comes back from the page cache.
std::string page(const std::string& name, const std::string& body) {
    return "<html><head><title>" + name + "</title></head><body style='margin:0'>"
           "<script>addEventListener('pageshow', () => fetch('/shown/" + name + "'))</script>" + body + "</body></html>";
}

// A control filling the page, so that a click anywhere in the view reaches it.
std::string filling(const std::string& tag, const std::string& attributes) {
    return "<" + tag + " " + attributes + " style='display:block;width:100vw;height:100vh'>x</" + tag + ">";
}

TEST_F(WebSession, NewWindowsWithoutFeaturesOpenInTheSameViewAndBackReturns) {
    struct Case {
        const char* name;
        std::string control;
    };
    const Case cases[] = {
        {"link", filling("a", "href='/second.html' target='_blank'")},
        {"script", filling("button", "onclick=\"window.open('/second.html')\"")},
        {"named", filling("button", "onclick=\"window.open('/second.html', 'elsewhere')\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.clear();
        server.serve("/home.html", page("home", c.control));
        server.serve("/second.html", page("second", "second"));
        Process program(make("browser"), {}, environment());
        auto window = find_window(program.pid());
        ASSERT_TRUE(window);
        ASSERT_TRUE(server.wait_for("/shown/home", 1));

        ASSERT_TRUE(click_page(window->id));
        ASSERT_TRUE(server.wait_for("/shown/second", 1));
        EXPECT_EQ(windows_of(program.pid()).size(), 1u);

        ASSERT_TRUE(click(window->id, (5520 + 1695 / 2) / 15, (120 + 375 / 2) / 15));  // back
        ASSERT_TRUE(server.wait_for("/shown/home", 2));
        EXPECT_EQ(server.count("/second.html"), 1);
        EXPECT_EQ(windows_of(program.pid()).size(), 1u);
    }
}

TEST_F(WebSession, PopupWithASizeOpensASmallWindowThatTalksToItsOpenerAndClosesWithThePage) {
    server.serve("/home.html",
                 page("home", "<script>addEventListener('message', e => fetch('/opener-heard/' + e.data))</script>" +
                                  filling("button", "onclick=\"window.open('/signin.html', 'signin', "
                                                    "'width=400,height=300')\"")));
    server.serve("/signin.html", page("signin", "<script>window.opener.postMessage('signed-in', '*')</script>" +
                                                    filling("button", "onclick='window.close()'")));
    Process program(make("browser"), {}, environment());
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/shown/home", 1));
    expect_sandboxed(program.pid());

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(click_page(window->id));
        std::optional<XWindowInfo> popup;
        ASSERT_TRUE(wait_until([&] {
            for (const auto& w : windows_of(program.pid()))
                if (w.id != window->id) popup = w;
            return popup && popup->title == "signin";
        }));
        EXPECT_EQ(popup->width, 400);
        EXPECT_EQ(popup->height, 300);
        ASSERT_TRUE(server.wait_for("/opener-heard/signed-in", round)) << "the popup could not reach its opener";
        EXPECT_EQ(server.count("/shown/home"), 1) << "the opener's page stays";

        if (round == 1) {
            ASSERT_TRUE(click(popup->id, 100, 100));  // the page closes itself
            ASSERT_TRUE(wait_until([&] { return windows_of(program.pid()).size() == 1; }));
            EXPECT_TRUE(program.running());
        }
    }
    // Closing the main window ends the program, the popup with it.
    close_and_wait(program, window->id);
}

TEST_F(WebSession, DownloadsGoToTheDownloadFolderAndNeverOverwrite) {
    const std::string zip(200000, 'z');
    server.serve("/report", zip, "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    server.serve("/home.html", page("home", filling("a", "href='/report'")));
    const auto downloads = home / "Downloads";  // no download folder configured, none there yet
    Process program(make("browser"), {}, environment());
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/shown/home", 1));

    auto complete = [&](const std::string& name) {
        return wait_until([&] { return read_all(downloads / name) == zip; });
    };
    expect_sandboxed(program.pid());
    ASSERT_TRUE(click_page(window->id));
    ASSERT_TRUE(complete("report.zip"));
    ASSERT_TRUE(click_page(window->id));
    ASSERT_TRUE(complete("report (1).zip"));
    EXPECT_TRUE(program.running());
    EXPECT_FALSE(std::filesystem::exists(home / "report.zip")) << "nothing dropped into the home folder";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(downloads), {}), 2);
}

TEST_F(WebSession, TheDesktopSaysWhereADownloadWentWithTheStatusBarShownOrHidden) {
    NotificationService notifications;
    ASSERT_TRUE(notifications.ready()) << "no private session bus";
    server.serve("/report", "zip", "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    server.serve("/home.html", page("home", filling("a", "href='/report'")));
    auto environment = this->environment();
    environment["DBUS_SESSION_BUS_ADDRESS"] = notifications.address();
    std::size_t told = 0;
    for (const char* status_bar : {"True", "False"}) {
        record.WriteProperty("custom26", std::string(status_bar));
        Process program(make("browser"), {}, environment);
        auto window = find_window(program.pid());
        ASSERT_TRUE(window);
        ASSERT_TRUE(wait_until([&] { return server.count("/shown/home") == 1; }));
        server.clear();

        ASSERT_TRUE(click_page(window->id));
        ASSERT_TRUE(pump_until([&] { return notifications.summaries().size() > told; }, kDeadline)) << status_bar;
        ++told;
        EXPECT_TRUE(notifications.summaries().back().starts_with("Downloaded report")) << notifications.summaries().back();
        EXPECT_TRUE(notifications.summaries().back().ends_with(" to " + (home / "Downloads").string()));
    }
}

TEST_F(WebSession, ClosingTheWindowEndsTheProgramWhateverDialogsThePageKeepsOpening) {
    server.serve("/home.html", "<html><body><script>for (;;) { alert('again'); prompt('and again'); }</script></body></html>");
    Process program(make("browser"), {}, environment());
    auto window = find_window_titled("Everyday Browser");
    ASSERT_TRUE(window);
    ASSERT_TRUE(wait_until([&] { return windows_of(program.pid()).size() == 2; })) << "no dialog came";
    close_and_wait(program, window->id);
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
    const auto program = make("browser");
    Process first(program, {}, environment);
    auto window = find_window(first.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/home.html", 1));

    Process second(program, {}, environment);
    ASSERT_TRUE(second.wait(kDeadline)) << "the second start runs a program of its own";
    ASSERT_TRUE(wait_until([&] { return windows_of(first.pid()).size() == 2; }));
    ASSERT_TRUE(server.wait_for("/home.html", 2));
    EXPECT_EQ(requests_with("/home.html", "Cookie: login=alice"), 1) << "the windows do not share their cookies";

    ASSERT_TRUE(close_window(window->id));
    ASSERT_TRUE(wait_until([&] { return windows_of(first.pid()).size() == 1; }));
    EXPECT_TRUE(first.running());
    close_and_wait(first, windows_of(first.pid()).front().id);
    g_test_dbus_down(bus.get());
}

}  // namespace
}  // namespace kelvane::test
