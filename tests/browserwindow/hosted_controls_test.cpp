// The hosted controls for real: WebKit against a server on 127.0.0.1, GStreamer on a
// local audio file, and the created program's window that keeps its title and border.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "browser/program_window.h"
#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"
#include "tests/support/trusted_certificate.h"

namespace kelvane::test {
namespace {

TEST(WebViewAddress, WithoutSchemeOpensAsWebAddress) {
    EXPECT_EQ(WebView::address_to_uri("example.com"), "http://example.com");
    EXPECT_EQ(WebView::address_to_uri("  localhost:8080/x "), "http://localhost:8080/x");
    EXPECT_EQ(WebView::address_to_uri("127.0.0.1:80"), "http://127.0.0.1:80");
    EXPECT_EQ(WebView::address_to_uri("https://example.com/"), "https://example.com/");
    EXPECT_EQ(WebView::address_to_uri("about:blank"), "about:blank");
    EXPECT_EQ(WebView::address_to_uri("/tmp/page.html"), "file:///tmp/page.html");
    EXPECT_EQ(WebView::address_to_uri("   "), "");
}

class Browsing : public testing::Test {
protected:
    Browsing() {
        server.serve("/one.html", "<html><head><title>One</title></head><body><a href='/two.html'>two</a></body></html>");
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
    window.Text1.set_text(server.url("/one.html"));
    window.Command1_Click();
    wait_shown("/one.html");
    EXPECT_EQ(server.count("/one.html"), 1);
    EXPECT_EQ(window.StatusBar1.panel_text(1), "Done");

    window.WebBrowser1.Navigate("127.0.0.1:" + std::to_string(server.port()) + "/two.html");
    wait_shown("/two.html");
    EXPECT_EQ(window.Text1.get_text(), server.url("/one.html")) << "navigation never writes the address box";

    window.Command2_Click();
    wait_shown("/one.html");

    const int before = server.count("/one.html");
    window.Command3_Click();
    EXPECT_TRUE(pump_until([&] { return server.count("/one.html") == before + 1; }));
}

// A host name is looked up ahead of the load as well; the page comes all the same.
TEST_F(Browsing, OpensAnAddressByHostName) {
    window.WebBrowser1.Navigate("localhost:" + std::to_string(server.port()) + "/two.html");
    EXPECT_TRUE(pump_until([&] { return server.count("/two.html") == 1 && !window.WebBrowser1.loading(); }));
}

TEST_F(Browsing, NothingHappensWithoutHistoryOrAddress) {
    window.Command2_Click();  // no earlier page
    window.Command3_Click();  // nothing loaded yet
    window.Text1.set_text("");
    window.Command1_Click();
    drain();
    EXPECT_EQ(window.WebBrowser1.uri(), "");
}

TEST_F(Browsing, PlainHttpPageIsNotCalledSecure) {
    window.WebBrowser1.Navigate(server.url("/one.html"));
    wait_shown("/one.html");
    EXPECT_FALSE(window.WebBrowser1.secure());
    EXPECT_EQ(window.StatusBar1.panel_text(2), "");

    window.StatusBar1.set_secure(true);
    EXPECT_EQ(window.StatusBar1.panel_text(2), "Secure Website ");
    window.StatusBar1.set_secure(false);
    EXPECT_EQ(window.StatusBar1.panel_text(2), "");
}

TEST(SecureWebsite, OnlyWhileThePageAndAllItLoadedCameOverVerifiedHttps) {
    HttpServer site(HttpServer::Security::SelfSignedTls), plain;
    if (!trust_certificate_of(site.port())) GTEST_SKIP() << "only root can make the test's certificate one that verifies";
    site.serve("/secure.html", "<html><body>all over HTTPS</body></html>");
    site.serve("/mixed.html", "<html><body><img src='" + plain.url("/image.png") + "'></body></html>");
    plain.serve("/image.png", "x", "image/png");
    BrowserWindow window;  // its engine started after the certificate was made trusted
    window.show();
    for (const auto& [path, shown] : {std::pair("/secure.html", "Secure Website "), std::pair("/mixed.html", "")}) {
        window.WebBrowser1.Navigate(site.url(path));
        ASSERT_TRUE(pump_until([&] { return window.WebBrowser1.uri() == site.url(path) && !window.WebBrowser1.loading(); }));
        EXPECT_EQ(window.StatusBar1.panel_text(2), shown) << path;
    }
    EXPECT_EQ(plain.count("/image.png"), 1);
}

TEST(StatusText, TrimsOnlyBlanks) {
    BrowserWindow window;
    window.WebBrowser1_StatusTextChange("   http://a/  ");
    EXPECT_EQ(window.StatusBar1.panel_text(1), "http://a/");
    window.WebBrowser1_StatusTextChange("\tlink ");
    EXPECT_EQ(window.StatusBar1.panel_text(1), "\tlink");
    window.WebBrowser1_StatusTextChange("    ");
    EXPECT_EQ(window.StatusBar1.panel_text(1), "");
    EXPECT_FALSE(window.StatusBar1.set_panel_text(3, "x"));
}

TEST(CreatedWindow, KeepsItsTitleAndBorderWhateverThePageDoes) {
    HttpServer server;
    server.serve("/titled.html", "<html><head><title>Page title</title></head><body>x</body></html>");
    TempDir folder;
    SettingsRecord record = default_record();
    record.WriteProperty("Caption", std::string("Kept Title"));
    record.WriteProperty("Text1", server.url("/titled.html"));
    record.WriteProperty("custom23", std::string("2"));
    make_created_program(folder / "program", record);

    ProgramWindow window;
    window.Form_Load(folder / "program");
    window.show();
    ASSERT_TRUE(pump_until([&] { return server.count("/titled.html") == 1 && !window.WebBrowser1.loading(); }));
    drain();
    EXPECT_EQ(window.get_title(), "Kept Title");

    window.set_title("Changed");
    window.set_border_style(0);
    EXPECT_EQ(window.get_title(), "Kept Title");
    EXPECT_EQ(window.border_style(), 2);
    window.set_resizable(false);  // changed behind the window's back
    EXPECT_TRUE(window.get_resizable());
}

TEST(CreatedWindow, TemplateAloneOpensEmpty) {
    ProgramWindow window;
    window.Form_Load(template_path());
    EXPECT_EQ(window.get_title(), "");
    EXPECT_EQ(window.border_style(), 0);
    EXPECT_EQ(window.holders().Text2, "");
}

class Song : public testing::Test {
protected:
    TempDir folder;
    MediaPlayer player;
};

TEST_F(Song, PlaysHiddenAtHalfVolumeAndStopsOnTheEmptyAddress) {
    write_wav(folder / "song.wav", 5);
    EXPECT_EQ(player.volume(), 50);
    player.set_URL((folder / "song.wav").string());
    EXPECT_FALSE(player.get_visible());
    ASSERT_TRUE(pump_until([&] { return player.playing(); }));
    player.set_URL("");
    EXPECT_FALSE(player.playing());
}

// The player is built off the main thread; what is asked of it meanwhile still counts.
TEST_F(Song, TheLastAddressGivenBeforeThePlayerIsReadyIsTheOneThatPlays) {
    write_wav(folder / "song.wav", 5);
    player.set_URL((folder / "missing.mp3").string());
    player.set_URL((folder / "song.wav").string());
    ASSERT_TRUE(pump_until([&] { return player.playing(); }));
    EXPECT_EQ(player.URL(), (folder / "song.wav").string());
}

TEST_F(Song, TheEmptyAddressGivenBeforeThePlayerIsReadyPlaysNothing) {
    write_wav(folder / "song.wav", 5);
    player.set_URL((folder / "song.wav").string());
    player.set_URL("");
    ASSERT_TRUE(pump_until([&] { return player.ready(); }));
    pump_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(player.playing());
}

TEST_F(Song, APlayerClosedWhileItIsBuiltGoesQuietly) {
    write_wav(folder / "song.wav", 5);
    for (int wait_ms : {0, 5, 50}) {
        auto early = std::make_unique<MediaPlayer>();
        early->set_URL((folder / "song.wav").string());
        pump_for(std::chrono::milliseconds(wait_ms));  // closed before, during or after the build
        early.reset();
    }
    pump_for(std::chrono::milliseconds(100));  // builds that finish after their player went
    player.set_URL((folder / "song.wav").string());
    EXPECT_TRUE(pump_until([&] { return player.playing(); }));
}

TEST_F(Song, AnAddressThatDoesNotPlayFailsQuietly) {
    player.set_URL((folder / "missing.mp3").string());
    pump_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(player.playing());
    std::filesystem::path not_audio = folder / "text.mp3";
    std::ofstream(not_audio) << "not a song";
    player.set_URL(not_audio.string());
    pump_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(player.playing());
}

// An audio output whose opening never returns, as a sound server that hangs: a sink writing
// into a pipe that nobody reads. The song goes on silently, and the window closes at once.
TEST_F(Song, AnOutputThatNeverOpensHoldsNothingUp) {
    write_wav(folder / "song.wav", 5);
    ASSERT_EQ(mkfifo((folder / "device").c_str(), 0600), 0);
    setenv("GST_AUDIO_SINK", ("filesink location=" + (folder / "device").string()).c_str(), 1);
    BrowserWindow window;
    window.show();
    window.WindowsMediaPlayer1.set_URL((folder / "song.wav").string());
    EXPECT_TRUE(pump_until([&] { return window.WindowsMediaPlayer1.playing(); }));
    unsetenv("GST_AUDIO_SINK");
}

}  // namespace
}  // namespace kelvane::test
