// Created programs started as processes under X, looked at from outside: their window
// through the X server, their browsing through a web server on 127.0.0.1, their song
// through GStreamer's own log.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/media_files.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// Clicks at the centre of a control placed at the given twips.
bool click_at_twips(unsigned long window, float left, float top, float width, float height) {
    return click(window, static_cast<int>((left + width / 2) / 15), static_cast<int>((top + height / 2) / 15));
}

// Under another name, in another folder, without an ".exe" ending: the window the record
// describes, its buttons, links to the desktop's mail and phone handlers, and the song
// playing while the player is hidden, also when its audio output never opens (a sink
// writing into a pipe that nobody reads); and a clean end when the window closes.
TEST(CreatedProgram, OpensAsConfiguredAndBrowsesFromItsButtons) {
    HttpServer server;
    TempDir folder;
    // Each page reports being shown, also when it comes back from the page cache.
    const std::string report = "<script>addEventListener('pageshow', () => fetch('/shown/";
    server.serve("/home.html", "<html><head><title>Page title</title></head><body style='margin:0'>" + report +
                                   "home'))</script><a href='/second.html' style='display:block;height:100vh'>next</a>"
                                   "</body></html>");
    // The second page also tries to open a mail address by itself, which is not let through.
    server.serve("/second.html", "<html><body style='margin:0'>" + report +
                                     "second').then(() => location.href = 'mailto:unasked@example.com'))</script>"
                 "<a href='mailto:anne@example.com' style='display:block;height:50vh'>mail</a>"
                 "<a href='tel:+4930123456' style='display:block;height:50vh'>call</a></body></html>");
    write_wav(folder / "song.wav", 30);
    SettingsRecord record = default_record();
    record.WriteProperty("Caption", std::string("My Own Browser"));
    record.WriteProperty("Text1", server.url("/home.html"));
    record.WriteProperty("url", (folder / "song.wav").string());
    record.WriteProperty("value", std::int16_t{0});
    const auto program = folder / "my-browser";
    make_created_program(program, record);
    const auto opened = register_default_handler(folder.path(), {"mailto", "tel"});
    const auto log = folder / "gst.log";
    ASSERT_EQ(mkfifo((folder / "device").c_str(), 0600), 0);
    Process browser(program, {},
                    {{"XDG_DATA_HOME", (folder / "data").string()}, {"XDG_CONFIG_HOME", (folder / "config").string()},
                     {"GST_AUDIO_SINK", "filesink location=" + (folder / "device").string()}, {"GST_DEBUG", "GST_STATES:4"}, {"GST_DEBUG_FILE", log.string()}, {"GST_DEBUG_NO_COLOR", "1"}});

    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->width, 8775 / 15);
    EXPECT_EQ(window->height, 6180 / 15);
    ASSERT_TRUE(server.wait_for("/shown/home", 1));
    EXPECT_EQ(window_info(window->id)->title, "My Own Browser") << "the page's title never becomes the window's";

    ASSERT_TRUE(click(window->id, 100, 100));  // a link inside the page: the web view starts at (8, 40)
    ASSERT_TRUE(server.wait_for("/shown/second", 1));
    ASSERT_TRUE(click(window->id, 100, 100));
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "mailto:anne@example.com\n"; })) << read_all(opened);
    ASSERT_TRUE(click(window->id, 100, 280));
    EXPECT_TRUE(wait_until([&] { return read_all(opened) == "mailto:anne@example.com\ntel:+4930123456\n"; }))
        << read_all(opened);

    ASSERT_TRUE(click_at_twips(window->id, 5520, 120, 1695, 375));  // back
    ASSERT_TRUE(server.wait_for("/shown/home", 2));
    ASSERT_TRUE(click_at_twips(window->id, 7200, 120, 1455, 375));  // refresh
    ASSERT_TRUE(server.wait_for("/shown/home", 3));
    ASSERT_TRUE(click_at_twips(window->id, 3840, 120, 1695, 375));  // browse: the home page again
    ASSERT_TRUE(server.wait_for("/shown/home", 4));
    EXPECT_EQ(server.count("/second.html"), 1) << "the mail and phone links left the page as it was";
    EXPECT_TRUE(wait_until([&] { return read_all(log).find("playbin0> completed state change to PLAYING") != std::string::npos; }))
        << "the song plays while the player is hidden";
    EXPECT_TRUE(browser.running());
    ASSERT_TRUE(close_window(window->id));
    EXPECT_EQ(browser.wait(kPatience), 0) << "a clean exit, soon after the window closed";
}

TEST(CreatedProgram, DamagedOrMissingTrailerOpensAnEmptyBrowser) {
    TempDir folder;
    const auto program = folder / "damaged";
    make_created_program(program, default_record());
    {
        std::fstream file(program, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(-4, std::ios::end);
        file.write("\xff\xff\xff\x7f", 4);  // a begin position past the end of the file
    }
    for (const auto& path : {program, template_path()}) {
        Process browser(path);
        auto window = find_window(browser.pid());
        ASSERT_TRUE(window) << path;
        EXPECT_EQ(window->title, "");
        EXPECT_TRUE(browser.running());
    }
}

}  // namespace
}  // namespace kelvane::test
