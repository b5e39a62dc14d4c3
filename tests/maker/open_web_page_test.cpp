// Opening the project's web page with the desktop's default handler, for real: a handler
// registered the way desktops do it, in folders of the test's own.
#include <gtest/gtest.h>

#include "maker/dialogs/start_menu.h"
#include "tests/support/created_program.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// The handler writes its line at once, so a file that is not empty holds all of it.
std::string wait_for_text(const std::filesystem::path& path) {
    wait_until([&] { return !read_all(path).empty(); });
    return read_all(path);
}

TEST(OpenWebPage, OpensWithTheDefaultHandlerOrBeeps) {
    TempDir home;
    const auto opened = register_default_handler(home.path(), {"http"});
    // Read once, at the first look-up, so set before anything asks.
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "none").c_str(), 1);

    BellWatcher bells;
    EXPECT_TRUE(OpenWebPage("www.kelvane.example/feedback"));
    EXPECT_EQ(wait_for_text(opened), "http://www.kelvane.example/feedback\n");
    std::filesystem::remove(opened);
    EXPECT_TRUE(OpenWebPage("http://WWW.example.org/"));
    EXPECT_EQ(wait_for_text(opened), "http://WWW.example.org/\n");
    drain();  // a bell either call rang has reached the X server
    EXPECT_EQ(bells.count(), 0);

    // "WWW." is not "www.": it stays as it is, and nothing here can open it.
    EXPECT_FALSE(OpenWebPage("WWW.kelvane.example"));
    drain();
    EXPECT_EQ(bells.count(), 1);
}

}  // namespace
}  // namespace kelvane::test
