// Created programs started as processes under X, looked at from outside: their window
// through the X server, their browsing through a web server on 127.0.0.1.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "browserwindow/error_page.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/http_server.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

constexpr int kTwipsPerPixel = 15;

class CreatedProgram : public testing::Test {
protected:
    void SetUp() override {
        server.serve("/home.html", "<html><head><title>Page title</title></head><body>Home</body></html>");
        record = default_record();
        record.WriteProperty("Caption", std::string("My Own Browser"));
        record.WriteProperty("Text1", server.url("/home.html"));
    }

    HttpServer server;
    TempDir folder;
    SettingsRecord record;
};

TEST_F(CreatedProgram, ShowsItsTitleAndSizeAndAsksForItsHomePage) {
    // Under another name, in another folder, without an ".exe" ending.
    const auto program = folder / "my-browser";
    make_created_program(program, record);
    Process browser(program);

    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "My Own Browser");
    EXPECT_EQ(window->width, 8775 / kTwipsPerPixel);
    EXPECT_EQ(window->height, 6180 / kTwipsPerPixel);
    EXPECT_TRUE(server.wait_for("/home.html"));
}

// Clicks at the centre of a control placed at the given twips.
bool click_at_twips(unsigned long window, float left, float top, float width, float height) {
    return click(window, static_cast<int>((left + width / 2) / kTwipsPerPixel),
                 static_cast<int>((top + height / 2) / kTwipsPerPixel));
}

TEST_F(CreatedProgram, BrowseBackAndRefreshWorkFromItsButtons) {
    // Each page reports being shown, also when it comes back from the page cache.
    const std::string report = "<script>addEventListener('pageshow', () => fetch('/shown/";
    server.serve("/home.html", "<html><body style='margin:0'>" + report + "home'))</script>"
                 "<a href='/second.html' style='display:block;height:100vh'>next</a></body></html>");
    server.serve("/second.html", "<html><body>" + report + "second'))</script>second</body></html>");
    server.serve("/shown/home", "");
    server.serve("/shown/second", "");
    const auto program = folder / "browser";
    make_created_program(program, record);
    Process browser(program);
    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/shown/home", 1));

    // A link inside the page: the web view starts at twips (120, 600).
    ASSERT_TRUE(click(window->id, 100, 100));
    ASSERT_TRUE(server.wait_for("/shown/second", 1));

    ASSERT_TRUE(click_at_twips(window->id, 5520, 120, 1695, 375));  // back
    ASSERT_TRUE(server.wait_for("/shown/home", 2));

    ASSERT_TRUE(click_at_twips(window->id, 7200, 120, 1455, 375));  // refresh
    ASSERT_TRUE(server.wait_for("/shown/home", 3));
    EXPECT_EQ(server.count("/second.html"), 1);

    ASSERT_TRUE(click_at_twips(window->id, 3840, 120, 1695, 375));  // browse: the home page again
    ASSERT_TRUE(server.wait_for("/shown/home", 4));
    EXPECT_TRUE(browser.running());
}

TEST_F(CreatedProgram, AKilledPageComesBackWithRefreshAndBrowse) {
    server.serve("/home.html", "<html><body style='background:#ffffff'>Home</body></html>");
    const auto program = folder / "browser";
    make_created_program(program, record);
    Process browser(program);
    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/home.html"));

    // A point of the web view (twips 120, 600, 8535, 4455) in a page margin, where no text
    // of a failure page and no scroll bar ever is.
    const int x = (120 + 8535) / kTwipsPerPixel - 30, y = (600 + 4455) / kTwipsPerPixel - 20;
    auto shows = [&](unsigned long colour) { return wait_until([&] { return pixel(window->id, x, y) == colour; }); };
    ASSERT_TRUE(shows(0xffffff));

    const struct {
        const char* button;
        float left, width;
    } buttons[] = {{"refresh", 7200, 1455}, {"browse", 3840, 1695}};
    int asked = 1;
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.button);
        const auto web_processes = descendants(browser.pid(), "WebKitWebProces");
        ASSERT_FALSE(web_processes.empty());
        for (pid_t pid : web_processes) kill(pid, SIGKILL);

        EXPECT_TRUE(shows(kFailurePageBackground)) << "the page that says the page stopped working";
        EXPECT_TRUE(browser.running());
        auto still = window_info(window->id);
        ASSERT_TRUE(still);
        EXPECT_TRUE(still->viewable);
        EXPECT_EQ(server.count("/home.html"), asked);

        ASSERT_TRUE(click_at_twips(window->id, button.left, 120, button.width, 375));
        EXPECT_TRUE(server.wait_for("/home.html", ++asked));
        EXPECT_TRUE(shows(0xffffff));
    }
}

TEST_F(CreatedProgram, MailAndPhoneLinksOpenWithTheDesktopsHandler) {
    server.serve("/home.html", "<html><body style='margin:0;background:#ffffff'>"
                 "<a href='mailto:anne@example.com' style='display:block;height:50vh'>mail</a>"
                 "<a href='tel:+4930123456' style='display:block;height:50vh'>call</a></body></html>");
    const auto opened = register_default_handler(folder.path(), {"mailto", "tel"});
    const auto program = folder / "browser";
    make_created_program(program, record);
    Process browser(program, {},
                    {{"XDG_DATA_HOME", (folder / "data").string()}, {"XDG_CONFIG_HOME", (folder / "config").string()}});
    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    ASSERT_TRUE(server.wait_for("/home.html"));
    // The page is shown once its white covers the web view (pixels 8, 40, 569, 297).
    ASSERT_TRUE(wait_until([&] { return pixel(window->id, 300, 300) == 0xffffffu; }));

    ASSERT_TRUE(click(window->id, 100, 100));
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "mailto:anne@example.com\n"; })) << read_all(opened);
    ASSERT_TRUE(click(window->id, 100, 280));
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "mailto:anne@example.com\ntel:+4930123456\n"; }))
        << read_all(opened);

    // The page stays: no failure page, nothing asked of the site again.
    EXPECT_EQ(pixel(window->id, 300, 300), 0xffffffu);
    EXPECT_EQ(server.count("/home.html"), 1);
}

// Also when its audio output never opens (a sink writing into a pipe that nobody reads): the
// song then goes on silently, and the program still ends cleanly when its window closes.
TEST_F(CreatedProgram, PlaysItsSongWhileThePlayerIsHiddenAndEndsWhenClosed) {
    write_wav(folder / "song.wav", 30);
    record.WriteProperty("url", (folder / "song.wav").string());
    record.WriteProperty("value", std::int16_t{0});
    const auto program = folder / "browser";
    make_created_program(program, record);
    ASSERT_EQ(mkfifo((folder / "device").c_str(), 0600), 0);

    // GStreamer's own log tells from outside that the song reached the playing state.
    const auto log = folder / "gst.log";
    Process browser(program, {}, {{"GST_AUDIO_SINK", "filesink location=" + (folder / "device").string()},
                                  {"GST_DEBUG", "GST_STATES:4"}, {"GST_DEBUG_FILE", log.string()}, {"GST_DEBUG_NO_COLOR", "1"}});
    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);

    auto playing = [&] {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str().find("playbin0> completed state change to PLAYING") != std::string::npos;
    };
    EXPECT_TRUE(wait_until(playing));
    ASSERT_TRUE(close_window(window->id));
    EXPECT_EQ(browser.wait(kPatience), 0) << "a clean exit, soon after the window closed";
}

TEST_F(CreatedProgram, DamagedOrMissingTrailerOpensAnEmptyBrowser) {
    const auto program = folder / "damaged";
    make_created_program(program, record);
    {
        // BeginPos pointing past the end of the file.
        std::fstream file(program, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(-4, std::ios::end);
        file.write("\xff\xff\xff\x7f", 4);
    }
    for (const auto& path : {program, template_path()}) {
        Process browser(path);
        auto window = find_window(browser.pid());
        ASSERT_TRUE(window) << path;
        EXPECT_EQ(window->title, "");
        EXPECT_TRUE(browser.running());
        EXPECT_EQ(server.count("/home.html"), 0);
    }
}

}  // namespace
}  // namespace kelvane::test
