// The maker as the user starts it: its start menu comes up, and closing it ends the maker.
#include <gtest/gtest.h>
#include <sys/wait.h>

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
    auto status = maker.wait(kPatience);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
}  // namespace kelvane::test
