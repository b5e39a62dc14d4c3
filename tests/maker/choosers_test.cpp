// The colour, icon and background choosers, their dialogs answered by the test.
#include <fstream>

#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

class Choosers : public MakerFixture {
protected:
    Choosers() { main().show(); }
    MainWindow& main() { return forms.Form1(); }

    std::string picture_file(const std::string& name, int width, int height, std::uint32_t rgba = 0x3366ccff) {
        const Picture picture = png_picture(width, height, rgba);
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(picture.bytes.data()), static_cast<std::streamsize>(picture.bytes.size()));
        return (folder / name).string();
    }
};

TEST_F(Choosers, ColourIsWrittenAsItsNumber) {
    colours = {0xFF0000};  // pure blue: red sits in the low byte
    main().Command6.clicked();
    EXPECT_EQ(main().Text5.get_text(), "16711680");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Choosers, FirstCancelledColourIsBlackAndCompiles) {
    colours = {std::nullopt};
    main().Command6.clicked();
    EXPECT_EQ(main().Text5.get_text(), "0");
    colours = {255, std::nullopt};
    main().Command6.clicked();
    main().Command6.clicked();  // cancelled: the last colour again
    EXPECT_EQ(main().Text5.get_text(), "255");
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].style, vbInformation);
}

TEST_F(Choosers, CancelledOrUselessFilesChangeNothing) {
    const auto icon_before = main().get_icon();
    std::ofstream(folder / "notes.txt") << "not a picture";
    std::ofstream(folder / "empty.png");
    files = {std::nullopt, (folder / "notes.txt").string(), (folder / "empty.png").string(),
             (folder / "missing.png").string()};
    for (int i = 0; i < 4; ++i) main().Command5.clicked();
    files = {std::nullopt, (folder / "notes.txt").string()};
    for (int i = 0; i < 2; ++i) main().Command8.clicked();
    EXPECT_EQ(main().get_icon(), icon_before);
    EXPECT_TRUE(main().Image1.picture().empty());
    EXPECT_TRUE(main().Image2.picture().empty());
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Choosers, IconAndBackgroundShowInTheMaker) {
    files = {picture_file("icon.png", 24, 24), picture_file("back.png", 50, 40)};
    main().Command5.clicked();
    ASSERT_TRUE(main().get_icon());
    EXPECT_EQ(main().get_icon()->get_width(), 24);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "A preview of your icon has been added to this program and can be seen beside the title");
    EXPECT_EQ(messages[0].title, "Kelvane");

    main().Command8.clicked();
    EXPECT_TRUE(main().Frame3.get_visible());
    EXPECT_EQ(main().Image2.pixbuf()->get_width(), 50);
    main().Command9.clicked();
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_EQ(messages.size(), 1u);
}

// What the user sees: the handles' blue over the background preview.
TEST_F(Choosers, SizingHandlesStayInFrontOfTheBackgroundPreview) {
    main().Control_MouseDown(Control::Command1, vbRightButton);
    files = {picture_file("back.png", 50, 40, 0xffffffff)};
    main().Command8.clicked();
    ASSERT_TRUE(main().Frame3.get_visible());
    ASSERT_TRUE(show_and_wait_drawn(main()));
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
    for (int i : {0, 4, 8}) {
        int x = 0, y = 0;
        main().designer.handle[i]->translate_coordinates(main(), 3, 3, x, y);
        EXPECT_TRUE(pump_until([&] {
            const auto colour = pixel(xid, x, y);
            return colour && (*colour & 0xff) > 0xa0 && (*colour >> 16) < 0x40;
        })) << "handle " << i;
    }
}

TEST_F(Choosers, IconAndBackgroundReachTheCreatedProgram) {
    files = {picture_file("icon.png", 32, 32), picture_file("back.png", 600, 400, 0x11aa44ff)};
    main().Command5.clicked();
    main().Command8.clicked();
    main().Text5.set_text("16777215");
    main().txtExeFile.set_text("pictured");
    main().Text4.set_text("about:blank");
    main().Command2.clicked();
    ASSERT_EQ(messages.back().style, vbInformation) << messages.back().text;

    Process program(folder / "pictured");
    auto window = find_window(program.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(window_icon_size(window->id), std::make_pair(32, 32));
    // The background shows where no control stands: the top-left corner.
    std::optional<unsigned long> corner;
    wait_until([&] { return (corner = pixel(window->id, 2, 2)) == 0x11aa44u; });
    EXPECT_EQ(corner, 0x11aa44u);
}

}  // namespace
}  // namespace kelvane::test
