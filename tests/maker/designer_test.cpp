// The layout designer: handles, drags and the copies into the position fields, with the
// numbers worked out by hand.
#include "tests/maker/maker_fixture.h"
#include "tests/support/media_files.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

using Texts = std::vector<std::string>;

// The browse button where the design puts it.
constexpr TwipsRect kBrowse{3840, 120, 1695, 375};

class Designer : public MakerFixture {
protected:
    Designer() { main().show(); }
    Module2& designer() { return main().designer; }
    Placement& panel() { return main().Frame1.area(); }
    TwipsRect rect(Gtk::Widget& w) { return *panel().rect(w); }
    void select_browse() { designer().SelectControl(main().Command1); }
    void drag(int i, float x, float y, int button = vbLeftButton) { main().handle_MouseMove(i, button, 0, x, y); }
    Texts fields(int from, int to) {
        Texts texts;
        for (int n = from; n <= to; ++n) texts.push_back(positions().Text(n).get_text());
        return texts;
    }
};

// Nine handles, 90 twips a side, stand around the selected control, clockwise from the
// top-left corner, then the centre. Grabbed at (45, 45) with the last drag position at
// (0, 0), a move on a handle moves its edges with the pointer, a width or height below
// zero is refused, and the handles stand around the result. Only the left button alone
// drags, and a move of less than a twip on both axes is ignored, measured from the last
// move that counted, also when that was in an earlier drag.
TEST_F(Designer, HandlesStandAroundTheSelectedControlAndMoveItsEdgesPressesCopyItsGeometry) {
    designer().HideHandles();  // before any selection: only the hidden handle 0 is there
    ASSERT_EQ(designer().handle.size(), 1u);
    EXPECT_FALSE(designer().handle[0]->get_visible());
    select_browse();
    select_browse();
    ASSERT_EQ(designer().handle.size(), 9u) << "a second selection makes no new handles";
    const std::pair<float, float> around[] = {{3750, 30},  {4642.5, 30},  {5535, 30},  {5535, 262.5}, {5535, 495},
                                              {4642.5, 495}, {3750, 495}, {3750, 262.5}, {4642.5, 262.5}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(rect(*designer().handle[i]), (TwipsRect{around[i].first, around[i].second, 90, 90})) << i;
        EXPECT_TRUE(designer().handle[i]->get_visible()) << i;
    }
    const struct {
        int index;
        float x, y;
        TwipsRect after;
        int button = vbLeftButton;
        std::pair<float, float> last{0, 0}, ignored{0, 0};
    } cases[] = {
        {0, 145, 95, {3940, 170, 1595, 325}},   {1, 145, 95, {3840, 170, 1695, 325}},
        {2, 145, 95, {3840, 170, 1795, 325}},   {3, 145, 95, {3840, 120, 1795, 375}},
        {4, 145, 95, {3840, 120, 1795, 425}},   {5, 145, 95, {3840, 120, 1695, 425}},
        {6, 145, 95, {3940, 120, 1595, 425}},   {7, -55, 45, {3740, 120, 1795, 375}},
        {8, 195, -30, {3990, 45, 1695, 375}},   // the centre moves and keeps the size
        {3, -1955, 45, kBrowse},                // a width below zero: nothing
        {6, 2045, 95, kBrowse},                 // one update with a width below zero: nothing
        {7, 2045, 45, {5840, 120, 1695, 375}},  // the left edge moves first, the refused width stays
        {4, 145, 95, kBrowse, vbRightButton},   {4, 145, 95, kBrowse, vbLeftButton | vbRightButton},
        {4, 146.5f, 95.5f, {3840, 120, 1796.5f, 425.5f}, vbLeftButton, {145, 95}, {145.6f, 95.5f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " " << c.x);
        drag(c.index, -999, -999);
        drag(c.index, c.last.first, c.last.second);
        main().handle_MouseDown(c.index, vbLeftButton, 0, 45, 45);
        panel().set_rect(main().Command1, kBrowse);
        select_browse();  // the handles back around it
        drag(c.index, c.ignored.first, c.ignored.second, c.button);
        drag(c.index, c.x, c.y, c.button);
        EXPECT_EQ(rect(main().Command1), c.after);
        const TwipsRect& r = c.after;
        EXPECT_EQ(rect(*designer().handle[4]), (TwipsRect{r.left + r.width, r.top + r.height, 90, 90}));
    }

    // Width, height, top and left of the pressed control go into its four fields, as digits;
    // a press on the empty panel copies the four that can be selected, one on the window none.
    // The button says what else: right selects, left hides, middle neither.
    panel().set_rect(main().Command1, kBrowse);
    std::vector<int> order;
    for (int n : {1, 2, 3, 4}) positions().Text(n).signal_changed().connect([&order, n] { order.push_back(n); });
    ASSERT_TRUE(panel().set_rect(main().Text1, {-0.25f, 100000, 4642.5f, 300}));  // never an exponent
    main().Control_MouseDown(Control::Text1, vbRightButton);
    EXPECT_EQ(designer().selected(), &main().Text1);
    EXPECT_EQ(order, (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(fields(1, 4), (Texts{"300", "100000", "-0.25", "4642.5"}));
    panel().set_rect(main().Command3, {1000, 2000, 3000, 400});  // the preview's back button
    main().Control_MouseDown(Control::Command2, vbMiddleButton);
    EXPECT_EQ(fields(9, 12), (Texts{"3000", "400", "2000", "1000"}));
    EXPECT_TRUE(designer().handle[8]->get_visible());
    main().Control_MouseDown(Control::Command2, vbLeftButton);
    EXPECT_FALSE(designer().handle[8]->get_visible());

    select_browse();
    main().handle_MouseDown(4, vbLeftButton, 0, 45, 45);
    drag(4, 345, 145);
    positions().Text(17).set_text("typed");
    main().Form_MouseDown(vbLeftButton);
    for (auto& handle : designer().handle) EXPECT_FALSE(handle->get_visible());
    EXPECT_EQ(designer().selected(), &main().Command1) << "hidden, still selected";
    EXPECT_EQ(fields(5, 6), (Texts{"1695", "375"})) << "neither the drag nor the window writes a field";
    main().Frame_MouseDown(vbRightButton);
    EXPECT_EQ(fields(1, 20), (Texts{"300", "100000", "-0.25", "4642.5", "1995", "475", "120", "3840", "3000", "400",
                                    "2000", "1000", "1455", "375", "120", "7200", "typed", "4455", "600", "120"}));
}

// The whole way with real pointer events: select, drag a handle over the background
// preview, which it stands in front of, then click the empty panel; the fields then hold
// the dragged size. A press on the colour preview label, which has no window of its own,
// reaches the settings panel but is not on its empty area.
TEST_F(Designer, RealPointerEventsSelectDragAndCopy) {
    ASSERT_TRUE(show_and_wait_drawn(main()));
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
    // Each event is handled, laid out and on the X server before the next: a handle's moves
    // come in the handle's own coordinates, right only once it stands where the last put it.
    auto at = [&](Gtk::Widget& widget, int x, int y) {
        widget.translate_coordinates(main(), x, y, x, y);
        return std::pair{x, y};
    };
    auto press = [&](std::pair<int, int> p, int button) {
        ASSERT_TRUE(pointer_move(xid, p.first, p.second) && pointer_button(button, true));
        ASSERT_TRUE(pointer_button(button, false) && settle(main()));
    };
    press(at(main().Command1, 20, 10), 3);
    files = {picture_file("back.png", png_picture(50, 40))};
    main().Command8.clicked();
    ASSERT_TRUE(main().Frame3.get_visible() && designer().handle[4]->get_mapped() && settle(main()));
    // Drag the bottom-right handle 30 pixels right and 10 down in steps of unequal sizes:
    // equal steps would each reach the following handle at the same point of it, and a move
    // to where the last one was is ignored.
    auto pointer = at(*designer().handle[4], 3, 3);
    ASSERT_TRUE(pointer_move(xid, pointer.first, pointer.second) && pointer_button(1, true) && settle(main()));
    for (auto [right, down] : {std::pair{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {4, 1}, {3, 1}, {2, 1}}) {
        pointer = {pointer.first + right, pointer.second + down};
        ASSERT_TRUE(pointer_move(xid, pointer.first, pointer.second) && settle(main()));
    }
    ASSERT_TRUE(pointer_button(1, false) && settle(main()));
    main().Command9.clicked();
    ASSERT_FALSE(main().Frame3.get_visible());
    positions().Text(5).set_text("typed");
    press(at(main().Label1, 20, 10), 1);
    EXPECT_TRUE(designer().handle[4]->get_visible());
    EXPECT_EQ(positions().Text(5).get_text(), "typed");
    press(at(main().Frame1.area(), 300, 345), 1);  // the empty part of the panel, below the web view
    EXPECT_FALSE(designer().handle[4]->get_visible());
    EXPECT_EQ(fields(5, 6), (Texts{"2145", "525"})) << "30 pixels right and 10 down, 15 twips each";
}

}  // namespace
}  // namespace kelvane::test
