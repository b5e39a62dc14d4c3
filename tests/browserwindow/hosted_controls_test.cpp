// The status bar, and the media player for real: GStreamer on a local audio file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "browserwindow/browser_window.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

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

// An audio output whose opening never returns, as a sound server that hangs: a sink writing
// into a pipe that nobody reads. The song goes on silently, and the window closes at once.
TEST_F(Song, AnOutputThatNeverOpensHoldsNothingUp) {
    ASSERT_EQ(mkfifo((folder / "device").c_str(), 0600), 0);
    setenv("GST_AUDIO_SINK", ("filesink location=" + (folder / "device").string()).c_str(), 1);
    BrowserWindow window;
    window.show();
    window.WindowsMediaPlayer1.set_URL(song);
    EXPECT_TRUE(pump_until([&] { return window.WindowsMediaPlayer1.playing(); }));
    unsetenv("GST_AUDIO_SINK");
}

}  // namespace
}  // namespace kelvane::test
