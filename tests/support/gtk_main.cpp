// The main of test programs that use GTK: a session bus, a home folder and an X display of
// their own, then gtkmm.
#include <gtest/gtest.h>
#include <gtkmm/application.h>

#include "browserwindow/media_player.h"
#include "tests/support/display.h"
#include "tests/support/home.h"
#include "tests/support/notifications.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // a list needs no display
    kelvane::test::test_bus_address();
    kelvane::test::isolate_home();
    kelvane::test::ensure_display();
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    // Ended as the programs under test end while a thread of the song's player still runs.
    return kelvane::MediaPlayer::exit_status(RUN_ALL_TESTS());
}
