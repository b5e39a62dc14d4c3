// What a created program's web view keeps and tells beyond showing pages, tried from
// outside on a site at 127.0.0.1: its session between starts and between two starts at
// once, its downloads, and a page that will not let the user go.
#include <glib.h>

#include <fstream>

#include "tests/browser/started_program.h"
#include "tests/support/notifications.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

namespace fs = std::filesystem;

// A second start opens its window in the running program (one cookie store, one writer),
// which ends with its last window; a login and a page's storage are kept for the next
// start, and no program of another name sees them. A program never writes its own file.
// The desktop says where a download went.
TEST_F(StartedProgram, ASessionIsOneProgramsAloneKeptAcrossStartsAndSharedByItsWindows) {
    // The desktop's session bus, where a program finds itself running and is notified.
    NotificationService notifications;
    const std::map<std::string, std::string> environment = {{"DBUS_SESSION_BUS_ADDRESS", notifications.address()}};
    // What the desktop's folder tool writes when there is no download folder: the home
    // folder itself, which is no place for downloads.
    const fs::path home = g_get_home_dir();
    std::ofstream(fs::path(g_get_user_config_dir()) / "user-dirs.dirs") << "XDG_DOWNLOAD_DIR=\"$HOME/\"\n";
    server.serve("/report", "zip", "application/zip", "Content-Disposition: attachment; filename=\"report.zip\"\r\n");
    // The page tells what it found in local storage, then leaves something there.
    server.serve("/home.html",
                 "<html><body><a href='/report' style='display:block;height:100vh'>x</a><script>const found = "
                 "localStorage.getItem('k') || 'nothing'; localStorage.setItem('k', 'kept'); fetch('/stored/' + found)</script></body></html>",
                 "text/html", "Set-Cookie: login=alice; Max-Age=86400; Path=/; HttpOnly\r\n");
    const auto logged_in = [&] {
        const auto requests = server.requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const auto& r) { return r.path == "/home.html" && r.headers.find("login=alice") != std::string::npos; });
    };
    start("alpha", environment);
    ASSERT_TRUE(server.wait_for("/stored/nothing"));
    const std::string alpha = read_all(folder / "alpha");

    Process second(folder / "alpha", {}, environment);
    ASSERT_TRUE(second.wait(kPatience)) << "the second start runs a program of its own";
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 2; }));
    ASSERT_TRUE(server.wait_for("/stored/kept"));
    EXPECT_EQ(logged_in(), 1) << "the windows do not share their cookies";
    ASSERT_TRUE(close_window(window));
    ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 1; }));
    EXPECT_TRUE(program->running());
    window = windows_of(program->pid()).front().id;
    close_and_wait();
    EXPECT_EQ(read_all(folder / "alpha"), alpha) << "a created program never writes its own file";

    start("alpha", environment);
    ASSERT_TRUE(server.wait_for("/stored/kept", 2));
    EXPECT_EQ(logged_in(), 2) << "the login was lost at the restart";
    close_and_wait();
    start("beta", environment);
    ASSERT_TRUE(server.wait_for("/stored/nothing", 2));
    EXPECT_EQ(logged_in(), 2) << "another program saw alpha's session";
    for (const char* name : {"alpha", "beta"}) EXPECT_TRUE(fs::exists(fs::path(g_get_user_data_dir()) / "kelvane" / name));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2) << "only the two programs";
    ASSERT_TRUE(click(window, 100, 100));
    ASSERT_TRUE(pump_until([&] { return !notifications.summaries().empty(); }));
    EXPECT_EQ(notifications.summaries().back(), "Downloaded report.zip to " + (home / "Downloads").string());
    EXPECT_EQ(read_all(home / "Downloads/report.zip"), "zip");
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
