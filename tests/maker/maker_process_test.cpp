// The maker as the user starts it: its start menu comes up, its start button opens the main
// window, and closing that ends the maker. It starts without the web engine and the media
// framework, and loads them for the windows that show pages; where they cannot be loaded,
// it says so and ends.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>

#include "tests/support/created_program.h"
#include "tests/support/patience.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

TEST(MakerProgram, OpensOnItsStartMenuAndEndsWhenItsWindowIsClosed) {
    TempDir home;
    const auto data = home / "data", broken = home / "lib";
    std::filesystem::create_directory(broken);
    for (const char* library : {"libwebkit2gtk-4.1.so.0", "libgstreamer-1.0.so.0"}) std::ofstream(broken / library) << "not a library";
    for (const bool loadable : {true, false}) {
        SCOPED_TRACE(loadable ? "with the web engine" : "without");
        Process maker(KELVANE_MAKER_PATH, {},
                      {{"HOME", home.path().string()}, {"XDG_DATA_HOME", data.string()}, {"XDG_CACHE_HOME", (home / "cache").string()},
                       {"XDG_CONFIG_HOME", (home / "config").string()}, {"LD_LIBRARY_PATH", loadable ? "" : broken.string()}});
        auto menu = find_window(maker.pid());
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->title, "Kelvane");
        EXPECT_EQ(std::pair(menu->width, menu->height), std::pair(6015 / 15, 4500 / 15));
        ASSERT_TRUE(click(menu->id, (1440 + 3255 / 2) / 15, (960 + 735 / 2) / 15));  // the upper picture button
        std::optional<XWindowInfo> next;  // the main window, or the message that the engine is missing
        ASSERT_TRUE(wait_until([&] {
            for (const auto& window : windows_of(maker.pid()))
                if (window.id != menu->id) next = window;
            return next.has_value();
        }));
        // The engine's network process makes the cookie store: the engine was loaded and works,
        // and the maker's views keep their sessions apart from where programs of any name keep theirs.
        EXPECT_TRUE(!loadable || wait_until([&] { return std::filesystem::exists(data / "kelvanemaker/cookies.sqlite"); }));
        EXPECT_FALSE(std::filesystem::exists(data / "kelvane"));
        ASSERT_TRUE(close_window(next->id));
        auto status = maker.wait(kPatience);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == (loadable ? EXIT_SUCCESS : EXIT_FAILURE));
    }
}

}  // namespace
}  // namespace kelvane::test
