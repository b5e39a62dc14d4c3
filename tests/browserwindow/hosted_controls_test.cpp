// The hosted controls for real: WebKit against a server on 127.0.0.1 driven by the
// window's buttons, the status bar, and GStreamer on a local audio file.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "browserwindow/browser_window.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

TEST(WebViewAddress, WithoutSchemeOpensAsWebAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"example.com", "http://example.com"},         {"  localhost:8080/x ", "http://localhost:8080/x"},
        {"127.0.0.1:80", "http://127.0.0.1:80"},       {"https://example.com/", "https://example.com/"},
        {"about:blank", "about:blank"},                {"/tmp/page.html", "file:///tmp/page.html"},
        {"   ", ""}};
    for (auto [typed, uri] : cases) EXPECT_EQ(WebView::address_to_uri(typed), uri) << typed;
}

class Browsing : public testing::Test {
protected:
    Browsing() {
        server.serve("/one.html", "<html><head><title>One</title></head><body>one</body></html>");
        server.serve("/two.html", "<html><body>two</body></html>");
        window.show();
    }
    void wait_shown(const std::string& path) {
        ASSERT_TRUE(pump_until([&] { return window.WebBrowser1.uri() == server.url(path) && !window.WebBrowser1.loading(); }));
    }

    HttpServer server;
    BrowserWindow window;
};

TEST_F(Browsing, BrowseBackAndRefreshReachTheServer) {
    window.Command2_Click();  // no earlier page
    window.Command3_Click();  // nothing loaded yet
    window.Text1.set_text("");
    window.Command1_Click();
    drain();
    EXPECT_EQ(window.WebBrowser1.uri(), "") << "nothing happens without history or address";

    window.Text1.set_text(server.url("/one.html"));
    window.Command1_Click();
    wait_shown("/one.html");
    EXPECT_EQ(server.count("/one.html"), 1);
    EXPECT_EQ(window.StatusBar1.panel_text(1), "Done");
    EXPECT_EQ(window.StatusBar1.panel_text(2), "") << "a plain HTTP page is not secure";

    // A host name without a scheme; it is looked up ahead of the load as well.
    window.WebBrowser1.Navigate("localhost:" + std::to_string(server.port()) + "/two.html");
    ASSERT_TRUE(pump_until([&] { return server.count("/two.html") == 1 && !window.WebBrowser1.loading(); }));
    EXPECT_EQ(window.Text1.get_text(), server.url("/one.html")) << "navigation never writes the address box";

    window.Command2_Click();
    wait_shown("/one.html");
    const int before = server.count("/one.html");  // back may take the page from the cache
    window.Command3_Click();
    EXPECT_TRUE(pump_until([&] { return server.count("/one.html") == before + 1; }));
}

TEST(StatusBar, TrimsOnlyBlanksAndSaysWhenThePageIsSecure) {
    BrowserWindow window;
    const std::pair<const char*, const char*> cases[] = {
        {"   http://a/  ", "http://a/"}, {"\tlink ", "\tlink"}, {"    ", ""}, {"", ""}};
    for (auto [text, shown] : cases) {
        window.WebBrowser1_StatusTextChange(text);
        EXPECT_EQ(window.StatusBar1.panel_text(1), shown) << '"' << text << '"';
    }
    EXPECT_FALSE(window.StatusBar1.set_panel_text(3, "x"));
    window.StatusBar1.set_secure(true);
    EXPECT_EQ(window.StatusBar1.panel_text(2), "Secure Website ");
    window.StatusBar1.set_secure(false);
    EXPECT_EQ(window.StatusBar1.panel_text(2), "");
}

class Song : public testing::Test {
protected:
    Song() { write_wav(song, 5); }
    TempDir folder;
    const std::string song = (folder / "song.wav").string();
    MediaPlayer player;
};

TEST_F(Song, PlaysHiddenAtHalfVolumeAndStopsOnTheEmptyAddress) {
    EXPECT_EQ(player.volume(), 50);
    player.set_URL(song);
    EXPECT_FALSE(player.get_visible());
    ASSERT_TRUE(pump_until([&] { return player.playing(); }));
    player.set_URL("");
    EXPECT_FALSE(player.playing());

    // Addresses that do not play fail quietly.
    std::ofstream(folder / "text.mp3") << "not a song";
    for (const auto& address : {folder / "missing.mp3", folder / "text.mp3"}) {
        player.set_URL(address.string());
        pump_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(player.playing()) << address;
    }
}

// The player is built off the main thread: what is asked of it meanwhile still counts,
// and a player closed before, during or after its build goes quietly.
TEST_F(Song, WhatIsAskedWhileThePlayerIsBuiltCounts) {
    for (int wait_ms : {0, 5, 50}) {
        auto early = std::make_unique<MediaPlayer>();
        early->set_URL(song);
        pump_for(std::chrono::milliseconds(wait_ms));
    }
    MediaPlayer silent;
    silent.set_URL(song);
    silent.set_URL("");
    player.set_URL((folder / "missing.mp3").string());
    player.set_URL(song);
    ASSERT_TRUE(pump_until([&] { return player.playing() && silent.ready(); }));
    EXPECT_EQ(player.URL(), song);
    pump_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(silent.playing());
}

}  // namespace
}  // namespace kelvane::test
