// Created programs started as processes under X, looked at from outside: their window
// through the X server, their browsing through a web server on 127.0.0.1.
#include <gtest/gtest.h>

#include "tests/support/created_program.h"
#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "tests/support/x_window.h"

namespace kelvane::test {
namespace {

constexpr int kTwipsPerPixel = 15;

class CreatedProgram : public testing::Test {
protected:
    void SetUp() override {
        server.serve("/home.html", "<html><head><title>Page title</title></head><body>Home</body></html>");
        record = default_record();
        record.WriteProperty("Caption", std::string("My Own Browser"));
        record.WriteProperty("Text1", server.url("/home.html"));
    }

    HttpServer server;
    TempDir folder;
    SettingsRecord record;
};

TEST_F(CreatedProgram, ShowsItsTitleAndSizeAndAsksForItsHomePage) {
    // Under another name, in another folder, without an ".exe" ending.
    const auto program = folder / "my-browser";
    make_created_program(program, record);
    Process browser(program);

    auto window = find_window(browser.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title, "My Own Browser");
    EXPECT_EQ(window->width, 8775 / kTwipsPerPixel);
    EXPECT_EQ(window->height, 6180 / kTwipsPerPixel);
    EXPECT_TRUE(server.wait_for("/home.html"));
}

}  // namespace
}  // namespace kelvane::test
