// The main of test programs that use GTK: an X display first, then gtkmm.
#include <gtest/gtest.h>
#include <gtkmm/application.h>

#include "tests/support/display.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    kelvane::test::ensure_display();
    auto app = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    return RUN_ALL_TESTS();
}
