// What a created program's web view keeps and tells beyond showing pages, tried from
// outside on a site at 127.0.0.1: its session between starts and between two starts at
// once, its downloads, and a page that will not let the user go.
#include <glib.h>

#include <fstream>

#include "tests/browser/started_program.h"
#include "tests/support/keyboard.h"
#include "tests/support/notifications.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// A second start opens its window in the running program (one cookie store, one writer),
// which ends with its last window; a login and a page's storage are kept for the next
// start, and no program of another name sees them, nor another site the zoom. A program
// never writes its own file. The desktop says where a download went.
TEST_F(StartedProgram, ASessionIsOneProgramsAloneKeptAcrossStartsAndSharedByItsWindows) {
    // The desktop's session bus, where a program finds itself running and is notified.
    NotificationService notifications;
    const std::map<std::string, std::string> environment = {{"DBUS_SESSION_BUS_ADDRESS", notifications.address()}};
    // What the desktop's folder tool writes when there is no download folder: the home
    // folder itself, which is no place for downloads.
    const fs::path home = g_get_home_dir();
    std::ofstream(fs::path(g_get_user_config_dir()) / "user-dirs.dirs") << "XDG_DOWNLOAD_DIR=\"$HOME/\"\n";
    const std::string other_site = "http://localhost:" + std::to_string(server.port()) + "/other.html";
    server.serve("/report", "zip", "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    // The page tells what it found in local storage and its width, then leaves something there.
    server.serve("/home.html",
                 "<html><body style='margin:0'><a href='" + other_site + "' style='display:block;height:50vh'>x</a><a "
                 "href='/report' style='display:block;height:50vh'>x</a><script>const found = localStorage.getItem('k') || "
                 "'nothing'; localStorage.setItem('k', 'kept'); onpageshow = () => fetch('/stored/' + found + '/' + innerWidth);"
                 "onresize = () => fetch('/resized/' + innerWidth)</script></body></html>",
                 "text/html", "Set-Cookie: login=alice; Max-Age=86400; Path=/; HttpOnly\r\n");
    server.serve("/other.html", "<script>onpageshow = () => fetch('/other/' + innerWidth)</script>");
    const auto logged_in = [&] {
        const auto requests = server.requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const auto& r) { return r.path == "/home.html" && r.headers.find("login=alice") != std::string::npos; });
    };
    start("alpha", environment);
    ASSERT_TRUE(server.wait_for("/stored/nothing/569"));
    const std::string alpha = read_all(folder / "alpha");

    Process second(folder / "alpha", {}, environment);
    ASSERT_TRUE(second.wait(kPatience)) << "the second start runs a program of its own";
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 2; }));
    ASSERT_TRUE(server.wait_for("/stored/kept/569"));
    EXPECT_EQ(logged_in(), 1) << "the windows do not share their cookies";
    ASSERT_TRUE(close_window(window));
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 1; }));
    EXPECT_TRUE(program->running());
    window = windows_of(program->pid()).front().id;
    // Without a window manager the window under the pointer has the keyboard.
    ASSERT_TRUE(click(window, 100, 260) && press_keys("ctrl+plus") && press_keys("ctrl+plus"));
    ASSERT_TRUE(server.wait_for("/resized/455"));  // the page's 569 pixels at 125 %
    ASSERT_TRUE(pump_until([&] { return !notifications.summaries().empty(); }));
    EXPECT_EQ(notifications.summaries().back(), "Downloaded report.zip to " + (home / "Downloads").string());
    EXPECT_EQ(read_all(home / "Downloads/report.zip"), "zip");
    close_and_wait();
    EXPECT_EQ(read_all(folder / "alpha"), alpha) << "a created program never writes its own file";

    start("alpha", environment);
    ASSERT_TRUE(server.wait_for("/stored/kept/455"));
    EXPECT_EQ(logged_in(), 2) << "the login was lost at the restart";
    ASSERT_TRUE(click(window, 100, 100));
    EXPECT_TRUE(server.wait_for("/other/569")) << "another site is not zoomed";
    close_and_wait();
    start("beta", environment);
    ASSERT_TRUE(server.wait_for("/stored/nothing/569", 2));
    EXPECT_EQ(logged_in(), 2) << "another program saw alpha's session";
    for (const char* name : {"alpha", "beta"}) EXPECT_TRUE(fs::exists(fs::path(g_get_user_data_dir()) / "kelvane" / name));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "only the two programs";
    const auto zoom = fs::status(fs::path(g_get_user_data_dir()) / "kelvane/alpha/zoom-levels");
    EXPECT_EQ(zoom.permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(StartedProgram, ClosingTheWindowEndsTheProgramWhateverDialogsThePageKeepsOpening) {
    server.serve("/home.html", "<html><body><script>for (;;) { alert('again'); prompt('and again'); }</script></body></html>");
    record.WriteProperty("Caption", std::string("Everyday Browser"));
    start();
    window = find_window_titled("Everyday Browser").value_or(XWindowInfo{}).id;  // not a dialog's
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 2; })) << "no dialog came";
    close_and_wait();
}

}  // namespace
}  // namespace kelvane::test
