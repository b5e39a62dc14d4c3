// The colour, icon and background choosers, their dialogs answered by the test.
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

class Choosers : public MakerFixture {
protected:
    Choosers() { main().show(); }
};

// Red sits in the low byte. A cancelled dialog keeps its last colour, black at first,
// and that colour is taken: the program can be compiled.
TEST_F(Choosers, ColourIsWrittenAsItsNumberAndACancelKeepsTheLastOne) {
    colours = {std::nullopt, 0xFF0000, std::nullopt};
    for (const char* number : {"0", "16711680", "16711680"}) {
        main().Command6.clicked();
        EXPECT_EQ(main().Text5.get_text(), number);
    }
    main().Command2.clicked();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].style, vbInformation);
}

// Cancelled, not a picture, empty or missing: nothing changes and nothing is said.
TEST_F(Choosers, IconAndBackgroundShowInTheMakerAndUselessFilesChangeNothing) {
    const auto icon_before = main().get_icon();
    std::ofstream(folder / "notes.txt") << "not a picture";
    std::ofstream(folder / "empty.png");
    files = {std::nullopt, (folder / "notes.txt").string(), (folder / "empty.png").string(),
             (folder / "missing.png").string(), picture_file("icon.png", png_picture(24, 24))};
    for (int i = 0; i < 4; ++i) main().Command5.clicked();
    files.insert(files.begin(), {std::nullopt, (folder / "notes.txt").string()});
    for (int i = 0; i < 2; ++i) main().Command8.clicked();
    EXPECT_EQ(main().get_icon(), icon_before);
    EXPECT_TRUE(main().Image1.picture().empty());
    EXPECT_TRUE(main().Image2.picture().empty());
    EXPECT_FALSE(main().Frame3.get_visible());
    EXPECT_TRUE(messages.empty());

    main().Command5.clicked();
    ASSERT_TRUE(main().get_icon());
    EXPECT_EQ(main().get_icon()->get_width(), 24);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "A preview of your icon has been added to this program and can be seen beside the title");
    EXPECT_EQ(messages[0].title, "Kelvane");
    files = {picture_file("back.png", png_picture(50, 40))};
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
    files = {picture_file("back.png", png_picture(50, 40, 0xffffffff))};
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

}  // namespace
}  // namespace kelvane::test
