// Opening the project's web page with the desktop's default handler, for real: a handler
// registered the way desktops do it, in folders of the test's own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "maker/dialogs/start_menu.h"
#include "tests/support/created_program.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The handler writes its line at once, so a file that is not empty holds all of it.
std::string wait_for_text(const std::filesystem::path& path) {
    wait_until([&] { return !read_all(path).empty(); });
    return read_all(path);
}

TEST(OpenWebPage, OpensWithTheDefaultHandlerOrBeeps) {
    TempDir home;
    const auto opened = home / "opened.txt";
    const auto handler = home / "handler.sh";
    std::ofstream(handler) << "#!/bin/sh\necho \"$1\" >> '" << opened.string() << "'\n";
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    std::filesystem::create_directories(home / "data/applications");
    std::ofstream(home / "data/applications/kelvane-test-browser.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test browser\nExec=" << handler.string()
        << " %u\nMimeType=x-scheme-handler/http;\n";
    std::filesystem::create_directories(home / "config");
    std::ofstream(home / "config/mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/http=kelvane-test-browser.desktop\n";
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
