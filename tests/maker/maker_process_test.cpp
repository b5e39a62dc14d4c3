// The maker as the user starts it: its start menu comes up, its start button opens the
// main window, and closing that ends the maker. It starts without the web engine and
// loads it for the windows that show pages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "tests/support/created_program.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

// The start menu's start button: it opens the main window and its preview.
bool click_start(unsigned long menu) { return click(menu, (1440 + 3255 / 2) / 15, (960 + 735 / 2) / 15); }

// The window of the maker that is not `other`, once there is one.
std::optional<XWindowInfo> another_window(pid_t maker, unsigned long other) {
    std::optional<XWindowInfo> found;
    wait_until([&] {
        for (const auto& window : windows_of(maker))
            if (window.id != other) found = window;
        return found.has_value();
    });
    return found;
}

TEST(MakerProgram, OpensOnItsStartMenuAndEndsWhenItsWindowsAreClosed) {
    TempDir home;
    const auto data = home / "data";
    Process maker(KELVANE_MAKER_PATH, {},
                  {{"HOME", home.path().string()}, {"XDG_DATA_HOME", data.string()},
                   {"XDG_CACHE_HOME", (home / "cache").string()}, {"XDG_CONFIG_HOME", (home / "config").string()}});
    auto menu = find_window(maker.pid());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title, "Kelvane");
    EXPECT_EQ(menu->width, 6015 / 15);
    EXPECT_EQ(menu->height, 4500 / 15);
    ASSERT_TRUE(click_start(menu->id));
    auto main = another_window(maker.pid(), menu->id);
    ASSERT_TRUE(main);
    // The engine's network process makes the cookie store: the engine was loaded and works,
    // and the maker's views keep their sessions in a store of their own, apart from where
    // programs of any name keep theirs.
    EXPECT_TRUE(wait_until([&] { return std::filesystem::exists(data / "kelvanemaker/cookies.sqlite"); }));
    EXPECT_FALSE(std::filesystem::exists(data / "kelvane"));
    ASSERT_TRUE(close_window(main->id));
    auto status = maker.wait(kPatience);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

TEST(MakerProgram, StartsWithoutTheWebEngine) {
    // The dynamic loader lists what a program needs at start, without starting it.
    std::string listed;
    if (FILE* loader = popen("LD_TRACE_LOADED_OBJECTS=1 '" KELVANE_MAKER_PATH "'", "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, loader)) listed.append(buffer, n);
        pclose(loader);
    }
    EXPECT_NE(listed.find("libgtk-3.so"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libwebkit2gtk"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libgstreamer"), std::string::npos) << listed;
}

TEST(MakerProgram, SaysSoAndEndsWhenTheWebEngineCannotBeLoaded) {
    TempDir libraries;
    std::ofstream(libraries / "libwebkit2gtk-4.1.so.0") << "not a library";
    Process maker(KELVANE_MAKER_PATH, {}, {{"LD_LIBRARY_PATH", libraries.path().string()}});
    auto menu = find_window(maker.pid());
    ASSERT_TRUE(menu);  // the start menu needs no engine
    ASSERT_TRUE(click_start(menu->id));
    auto message = another_window(maker.pid(), menu->id);
    ASSERT_TRUE(message);
    ASSERT_TRUE(close_window(message->id));
    auto status = maker.wait(kPatience);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == EXIT_FAILURE);
}

}  // namespace
}  // namespace kelvane::test
