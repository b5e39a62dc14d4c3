// Opening the project's web page with the desktop's default handler, for real: a handler
// registered the way desktops do it, in folders of the test's own.
#include <gtest/gtest.h>

#include "maker/dialogs/start_menu.h"
#include "tests/support/created_program.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

TEST(OpenWebPage, OpensWithTheDefaultHandlerOrBeeps) {
    TempDir home;
    const auto opened = register_default_handler(home.path(), {"http"});
    // Read once, at the first look-up, so set before anything asks.
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "none").c_str(), 1);
    BellWatcher bells;
    // "www." gets the scheme in front; "WWW." is not "www.": it stays as it is, and nothing here opens it.
    for (const auto& [address, handed] : {std::pair{"www.kelvane.example/feedback", "http://www.kelvane.example/feedback"},
                                          {"http://WWW.example.org/", "http://WWW.example.org/"}, {"WWW.kelvane.example", ""}}) {
        EXPECT_EQ(OpenWebPage(address), *handed != '\0') << address;
        // The handler writes its line at once, so a file that is not empty holds all of it.
        EXPECT_TRUE(!*handed || wait_until([&] { return read_all(opened) == std::string(handed) + "\n"; })) << read_all(opened);
        std::filesystem::remove(opened);
        drain();  // a bell the call rang has reached the X server
        EXPECT_EQ(bells.count(), *handed ? 0 : 1) << address;
    }
}

}  // namespace
}  // namespace kelvane::test
