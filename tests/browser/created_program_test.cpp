// Created programs started as processes under X, looked at from outside: their window
// through the X server, their browsing through a web server on 127.0.0.1, their song
// through GStreamer's own log.
#include <sys/stat.h>

#include "tests/browser/started_program.h"
#include "tests/support/media_files.h"

namespace kelvane::test {
namespace {

// Under another name, in another folder, without an ".exe" ending: its buttons, a link's
// new window in the view, a popup with a size in a window of its own that talks to its
// opener and closes with its page, and the song playing while the player is hidden, also
// when its audio output never opens (a sink writing into a pipe that nobody reads); and a
// clean end when the main window closes, the popup with it. The template alone opens empty.
TEST_F(StartedProgram, BrowsesFromItsButtonsAndOpensNewWindowsInTheViewOrAsPopups) {
    server.serve("/home.html",
                 page("home", "<script>addEventListener('message', e => fetch('/opener-heard/' + e.data))</script>"
                              "<a href='/second.html' target='_blank' style='display:block;height:50vh'>new</a>"
                              "<button onclick=\"window.open('/signin.html', 'signin', 'width=400,height=300')\" "
                              "style='display:block;width:100vw;height:50vh'>popup</button>"));
    server.serve("/second.html", page("second"));
    server.serve("/signin.html", page("signin", "<script>opener.postMessage('signed-in', '*')</script><button "
                                                "onclick='window.close()' style='width:100vw;height:100vh'>x</button>"));
    write_wav(folder / "song.wav", 30);
    record.WriteProperty("Caption", std::string("My Own Browser"));
    record.WriteProperty("url", (folder / "song.wav").string());
    ASSERT_EQ(mkfifo((folder / "device").c_str(), 0600), 0);
    const auto log = folder / "gst.log";
    start("my-browser", {{"GST_AUDIO_SINK", "filesink location=" + (folder / "device").string()},
                         {"GST_DEBUG", "GST_STATES:4"}, {"GST_DEBUG_FILE", log.string()}, {"GST_DEBUG_NO_COLOR", "1"}});
    ASSERT_TRUE(server.wait_for("/shown/home"));
    EXPECT_EQ(window_info(window)->title, "My Own Browser") << "the page's title never becomes the window's";

    ASSERT_TRUE(click(window, 100, 100));  // the link, in the upper half of the view at (8, 40)
    ASSERT_TRUE(server.wait_for("/shown/second"));
    EXPECT_EQ(windows_of(program->pid()).size(), 1u);
    // Back, Refresh and Browse (the home page again), where the default layout puts them.
    for (auto [left, width, shown] : {std::tuple{5520, 1695, 2}, {7200, 1455, 3}, {3840, 1695, 4}})
        ASSERT_TRUE(click(window, (left + width / 2) / 15, (120 + 375 / 2) / 15) && server.wait_for("/shown/home", shown));

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(click(window, 100, 260));  // the button, in the lower half
        std::optional<XWindowInfo> popup;
        ASSERT_TRUE(wait_until([&] {
            for (const auto& w : windows_of(program->pid()))
                if (w.id != window) popup = w;
            return popup && popup->title == "signin";
        }));
        EXPECT_EQ(std::pair(popup->width, popup->height), std::pair(400, 300));
        ASSERT_TRUE(server.wait_for("/opener-heard/signed-in", round)) << "the popup could not reach its opener";
        EXPECT_EQ(server.count("/shown/home"), 4) << "the opener's page stays";
        if (round == 1) {
            ASSERT_TRUE(click(popup->id, 100, 100));  // the page closes itself
            ASSERT_TRUE(wait_until([&] { return windows_of(program->pid()).size() == 1; }));
        }
    }
    EXPECT_EQ(server.count("/second.html"), 1);
    EXPECT_TRUE(wait_until([&] { return read_all(log).find("playbin0> completed state change to PLAYING") != std::string::npos; }))
        << "the song plays while the player is hidden";
    close_and_wait();

    Process bare(template_path());  // the template started by itself: an empty browser
    const auto shown = find_window(bare.pid());
    EXPECT_TRUE(shown && shown->title.empty() && bare.running());
}

}  // namespace
}  // namespace kelvane::test
