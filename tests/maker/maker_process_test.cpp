// The maker as the user starts it: its start menu comes up, and closing it ends the maker.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <thread>

#include "tests/support/created_program.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

TEST(MakerProgram, OpensOnItsStartMenuAndEndsWhenItIsClosed) {
    Process maker(KELVANE_MAKER_PATH);
    auto menu = find_window(maker.pid());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title, "Kelvane");
    EXPECT_EQ(menu->width, 6015 / 15);
    EXPECT_EQ(menu->height, 4500 / 15);
    ASSERT_TRUE(close_window(menu->id));
    auto status = maker.wait(std::chrono::seconds(10));
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

TEST(MakerProgram, ItsViewsKeepTheirSessionsInAStoreOfTheirOwn) {
    TempDir home;
    const auto data = home / "data";
    Process maker(KELVANE_MAKER_PATH, {},
                  {{"HOME", home.path().string()}, {"XDG_DATA_HOME", data.string()},
                   {"XDG_CACHE_HOME", (home / "cache").string()}, {"XDG_CONFIG_HOME", (home / "config").string()}});
    auto menu = find_window(maker.pid());
    ASSERT_TRUE(menu);
    ASSERT_TRUE(click(menu->id, (1440 + 3255 / 2) / 15, (960 + 735 / 2) / 15));  // start: the main window and its preview
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(data / "kelvane/maker") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::filesystem::exists(data / "kelvane/maker"));
    EXPECT_FALSE(std::filesystem::exists(data / "kelvane/kelvanemaker"));
}

}  // namespace
}  // namespace kelvane::test
