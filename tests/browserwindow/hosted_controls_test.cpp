// The status bar, and the media player for real: GStreamer on a local audio file. (A
// created program plays its song also where the audio output never opens.)
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "browserwindow/browser_window.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

TEST(StatusBar, TrimsOnlyBlanks) {
    BrowserWindow window;
    const std::pair<const char*, const char*> cases[] = {
        {"   http://a/  ", "http://a/"}, {"\tlink ", "\tlink"}, {"    ", ""}, {"", ""}};
    for (auto [text, shown] : cases) {
        window.WebBrowser1_StatusTextChange(text);
        EXPECT_EQ(window.StatusBar1.panel_text(1), shown) << '"' << text << '"';
    }
}

// The player is built off the main thread: what is asked of it meanwhile still counts, the
// last address asked for wins, and a player closed before, during or after its build goes
// quietly. It plays hidden, at half volume, and stops on the empty address; addresses that
// do not play fail quietly.
TEST(Song, PlaysTheLastAddressAskedForHiddenAtHalfVolumeUntilTheEmptyAddress) {
    TempDir folder;
    const std::string song = (folder / "song.wav").string();
    write_wav(song, 5);
    std::ofstream(folder / "text.mp3") << "not a song";
    for (int wait_ms : {0, 5, 50}) {
        auto early = std::make_unique<MediaPlayer>();
        early->set_URL(song);
        pump_for(std::chrono::milliseconds(wait_ms));
    }
    MediaPlayer player, silent;
    silent.set_URL(song);
    silent.set_URL("");
    player.set_URL((folder / "missing.mp3").string());
    player.set_URL(song);
    EXPECT_FALSE(player.get_visible());
    ASSERT_TRUE(pump_until([&] { return player.playing() && silent.ready(); }));
    EXPECT_EQ(player.URL(), song);
    EXPECT_EQ(player.volume(), 50);
    player.set_URL("");
    EXPECT_FALSE(player.playing());
    for (const auto& address : {folder / "missing.mp3", folder / "text.mp3"}) {
        player.set_URL(address.string());
        pump_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(player.playing() || silent.playing()) << address;
    }
}

}  // namespace
}  // namespace kelvane::test
