// The layout designer: handles, drags and the copies into the position fields, with the
// numbers worked out by hand.
#include "browser/program_window.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "tests/maker/maker_fixture.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

class Designer : public MakerFixture {
protected:
    Designer() { main().show(); }
    MainWindow& main() { return forms.Form1(); }
    Placement& panel() { return main().Frame1.area(); }
    TwipsRect rect(Gtk::Widget& w) { return *panel().rect(w); }
    TwipsRect browse() { return rect(main().Command1); }
    std::pair<float, float> handle_at(int i) { return {rect(*main().designer.handle[i]).left, rect(*main().designer.handle[i]).top}; }
    void select_browse() { main().designer.SelectControl(main().Command1); }
    void drag(int index, float x, float y, int button = vbLeftButton) {
        main().handle_MouseMove(index, button, 0, x, y);
    }
    std::vector<std::string> field_texts(int from, int to) {
        std::vector<std::string> texts;
        for (int n = from; n <= to; ++n) texts.push_back(forms.Form2().Text(n).get_text());
        return texts;
    }
};

TEST_F(Designer, HidingBeforeAnySelectionDoesNothing) {
    ASSERT_EQ(main().designer.handle.size(), 1u);
    EXPECT_FALSE(main().designer.handle[0]->get_visible()) << "hidden from the start";
    main().designer.HideHandles();
    ASSERT_EQ(main().designer.handle.size(), 1u);
    EXPECT_FALSE(main().designer.handle[0]->get_visible());
    EXPECT_EQ(rect(*main().designer.handle[0]).width, 90);
}

TEST_F(Designer, NineHandlesStandAroundTheSelectedControl) {
    select_browse();
    select_browse();
    ASSERT_EQ(main().designer.handle.size(), 9u) << "a second selection makes no new handles";
    const std::pair<float, float> expected[] = {{3750, 30},  {4642.5, 30},  {5535, 30},  {5535, 262.5}, {5535, 495},
                                                {4642.5, 495}, {3750, 495}, {3750, 262.5}, {4642.5, 262.5}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(handle_at(i), expected[i]) << i;
        EXPECT_TRUE(main().designer.handle[i]->get_visible()) << i;
    }
    main().designer.HideHandles();
    for (auto& h : main().designer.handle) EXPECT_FALSE(h->get_visible());
    EXPECT_EQ(main().designer.selected(), &main().Command1);
}

TEST_F(Designer, DragsMoveTheEdgesOfTheirHandle) {
    select_browse();
    main().handle_MouseDown(0, vbLeftButton, 0, 45, 45);
    drag(0, 145, 95);  // top-left: dx 100, dy 50
    EXPECT_EQ(browse(), (TwipsRect{3940, 170, 1595, 325}));
    EXPECT_EQ(handle_at(0), std::make_pair(3850.0f, 80.0f));

    panel().set_rect(main().Command1, {3840, 120, 1695, 375});
    drag(7, -55, 45);  // left: dx -100
    EXPECT_EQ(browse(), (TwipsRect{3740, 120, 1795, 375}));

    panel().set_rect(main().Command1, {3840, 120, 1695, 375});
    drag(8, 195, -30);  // centre: moves, keeps its size
    EXPECT_EQ(browse(), (TwipsRect{3990, 45, 1695, 375}));
}

TEST_F(Designer, MovesUnderATwipWaitForTheNextRealMove) {
    select_browse();
    main().handle_MouseDown(4, vbLeftButton, 0, 45, 45);
    drag(4, 145, 95);
    const TwipsRect after_first = browse();
    drag(4, 145.5f, 95.5f);
    EXPECT_EQ(browse(), after_first) << "half a twip is ignored";
    drag(4, 146.5f, 95.5f);  // measured against (145, 95), not (145.5, 95.5)
    EXPECT_EQ(browse().width, after_first.width + 101.5f);

    // The last position outlives the drag: a new drag's first move near it is ignored.
    main().handle_MouseDown(4, vbLeftButton, 0, 45, 45);
    const TwipsRect before = browse();
    drag(4, 146.0f, 95.0f);
    EXPECT_EQ(browse(), before);
}

TEST_F(Designer, OnlyTheLeftButtonAloneDrags) {
    select_browse();
    main().handle_MouseDown(4, vbRightButton, 0, 45, 45);
    drag(4, 500, 500, vbRightButton);
    drag(4, 600, 600, vbLeftButton | vbRightButton);
    EXPECT_EQ(browse(), design_rect(Control::Command1));
}

TEST_F(Designer, AWidthBelowZeroIsRefusedAndTheHandlesStay) {
    select_browse();
    main().handle_MouseDown(3, vbLeftButton, 0, 45, 45);
    drag(3, 45 - 2000, 45);
    EXPECT_EQ(browse(), design_rect(Control::Command1));
    EXPECT_EQ(handle_at(3), std::make_pair(5535.0f, 262.5f));
}

// The browse button at (3840, 120, 1695, 375), grabbed at (45, 45); one move on a handle.
struct DragCase {
    const char* name;
    int index;
    float x, y;
    TwipsRect after;
};

class DragRows : public Designer, public testing::WithParamInterface<DragCase> {};

TEST_P(DragRows, MoveTheirEdgesAndTheHandlesFollow) {
    const DragCase& c = GetParam();
    select_browse();
    main().handle_MouseDown(c.index, vbLeftButton, 0, 45, 45);
    drag(c.index, c.x, c.y);
    EXPECT_EQ(browse(), c.after);
    EXPECT_EQ(handle_at(8), std::make_pair(c.after.left + c.after.width / 2 - 45, c.after.top + c.after.height / 2 - 45));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DragRows,
    testing::Values(DragCase{"Top", 1, 145, 95, {3840, 170, 1695, 325}},
                    DragCase{"TopRight", 2, 145, 95, {3840, 170, 1795, 325}},
                    DragCase{"Bottom", 5, 145, 95, {3840, 120, 1695, 425}},
                    DragCase{"BottomLeft", 6, 145, 95, {3940, 120, 1595, 425}},
                    // One update with a width below zero: nothing.
                    DragCase{"BottomLeftPastTheRightEdge", 6, 2045, 95, {3840, 120, 1695, 375}},
                    // Shifted, the refused width kept.
                    DragCase{"LeftPastTheRightEdge", 7, 2045, 45, {5840, 120, 1695, 375}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Designer, RightPressSelectsAndCopiesWidthHeightTopLeft) {
    panel().set_rect(main().Text1, {100, 200, 4642.5f, 300});
    std::vector<int> order;
    for (int n : {1, 2, 3, 4}) forms.Form2().Text(n).signal_changed().connect([&order, n] { order.push_back(n); });
    main().Control_MouseDown(Control::Text1, vbRightButton);
    EXPECT_EQ(main().designer.selected(), &main().Text1);
    EXPECT_TRUE(main().designer.handle[8]->get_visible());
    EXPECT_EQ(order, (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(field_texts(1, 4), (std::vector<std::string>{"300", "200", "100", "4642.5"}));

    ASSERT_TRUE(panel().set_rect(main().Text1, {-0.25f, 100000, 123456, 200000}));  // digits, never an exponent
    main().Control_MouseDown(Control::Text1, vbMiddleButton);
    EXPECT_EQ(field_texts(1, 4), (std::vector<std::string>{"200000", "100000", "-0.25", "123456"}));
}

TEST_F(Designer, LeftPressHidesAndMiddlePressOnlyCopies) {
    select_browse();
    panel().set_rect(main().Command3, {1000, 2000, 3000, 400});
    main().Control_MouseDown(Control::Command2, vbMiddleButton);
    EXPECT_TRUE(main().designer.handle[0]->get_visible());
    EXPECT_EQ(field_texts(9, 12), (std::vector<std::string>{"3000", "400", "2000", "1000"}));
    main().Control_MouseDown(Control::Command1, vbLeftButton);
    EXPECT_FALSE(main().designer.handle[0]->get_visible());
}

TEST_F(Designer, PanelPressCopiesSixteenFieldsAndTheWindowOnlyHides) {
    select_browse();
    main().handle_MouseDown(4, vbLeftButton, 0, 45, 45);
    drag(4, 345, 145);
    forms.Form2().Text(17).set_text("typed");
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"1695", "375"})) << "dragging writes no field";

    main().Form_MouseDown(vbLeftButton);
    EXPECT_FALSE(main().designer.handle[0]->get_visible());
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"1695", "375"}));

    main().Frame_MouseDown(vbRightButton);
    EXPECT_EQ(field_texts(1, 16), (std::vector<std::string>{"375", "120", "120", "3735", "1995", "475", "120", "3840",
                                                            "1695", "375", "120", "5520", "1455", "375", "120", "7200"}));
    EXPECT_EQ(field_texts(17, 20), (std::vector<std::string>{"typed", "4455", "600", "120"}));
}

// The colour preview label has no window of its own, so a press on it reaches the
// settings panel's window; it is still not a press on the panel's empty area.
TEST_F(Designer, APressOnTheColourPreviewIsNotOnTheEmptyPanel) {
    ASSERT_TRUE(show_and_wait_drawn(main()));
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
    int presses = 0;
    main().Frame2.signal_button_press_event().connect([&](GdkEventButton*) {
        ++presses;
        return false;
    });
    auto left_click = [&](int x, int y) {  // pixels from the label's top-left corner
        int wx = 0, wy = 0;
        main().Label1.translate_coordinates(main(), x, y, wx, wy);
        const int before = presses;
        pointer_move(xid, wx, wy);
        pointer_button(1, true);
        pointer_button(1, false);
        return pump_until([&] { return presses > before; });
    };
    select_browse();
    forms.Form2().Text(5).set_text("typed");
    ASSERT_TRUE(left_click(20, 10));
    EXPECT_TRUE(main().designer.handle[0]->get_visible());
    EXPECT_EQ(forms.Form2().Text(5).get_text(), "typed");

    ASSERT_TRUE(left_click(-3, 10));  // just before it, where the panel is empty
    EXPECT_FALSE(main().designer.handle[0]->get_visible());
    EXPECT_EQ(forms.Form2().Text(5).get_text(), "1695");
}

// The whole way with real pointer events: select, drag a handle, click the empty panel,
// compile, and the created program's browse button has the dragged size.
TEST_F(Designer, DraggedSizeReachesTheCreatedProgram) {
    ASSERT_TRUE(pump_until([&] { return main().get_mapped(); }));
    ASSERT_TRUE(settle(main()));  // on the screen, where the X server sends the pointer's events
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
    auto at = [&](Gtk::Widget& widget, int x, int y) {
        int wx = 0, wy = 0;
        widget.translate_coordinates(main(), x, y, wx, wy);
        return std::make_pair(wx, wy);
    };
    // What each event does is handled, laid out and on the X server before the next comes:
    // a handle's moves come in the handle's own coordinates, so the next one is only right
    // once the handle stands where the last one put it.
    auto press = [&](std::pair<int, int> p, int button) {
        ASSERT_TRUE(pointer_move(xid, p.first, p.second));
        ASSERT_TRUE(pointer_button(button, true));
        ASSERT_TRUE(pointer_button(button, false));
        ASSERT_TRUE(settle(main()));
    };

    press(at(main().Command1, 20, 10), 3);  // right-click the browse button
    ASSERT_EQ(main().designer.selected(), &main().Command1);
    ASSERT_TRUE(main().designer.handle[4]->get_mapped());

    // Drag the bottom-right handle 30 pixels right and 10 down, in small steps of unequal
    // sizes: the handle follows the pointer, so equal steps would each reach it at the same
    // point of the handle, and a move to where the last one was is ignored.
    auto pointer = at(*main().designer.handle[4], 3, 3);
    ASSERT_TRUE(pointer_move(xid, pointer.first, pointer.second));
    ASSERT_TRUE(pointer_button(1, true));
    ASSERT_TRUE(settle(main()));
    const std::pair<int, int> steps[] = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {4, 1}, {3, 1}, {2, 1}};
    TwipsRect expected = browse();
    for (auto [right, down] : steps) {
        pointer = {pointer.first + right, pointer.second + down};
        expected.width += 15 * right;
        expected.height += 15 * down;
        ASSERT_TRUE(pointer_move(xid, pointer.first, pointer.second));
        ASSERT_TRUE(settle(main()));
        ASSERT_EQ(browse(), expected) << "after a step of " << right << ", " << down;
    }
    ASSERT_TRUE(pointer_button(1, false));
    ASSERT_TRUE(settle(main()));
    EXPECT_EQ(browse(), (TwipsRect{3840, 120, 1695 + 450, 375 + 150}));

    // A left click on the empty part of the panel, below the web view.
    press(at(main().Frame1.area(), 300, 345), 1);
    EXPECT_FALSE(main().designer.handle[4]->get_visible());
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"2145", "525"}));

    main().Text5.set_text("0");
    main().Text4.set_text("about:blank");
    main().txtExeFile.set_text("dragged");
    main().Command2.clicked();
    ProgramWindow created;
    created.Form_Load(folder / "dragged");
    EXPECT_EQ(*created.client().rect(created.Command1), (TwipsRect{3840, 120, 2145, 525}));
    Process program(folder / "dragged");
    EXPECT_TRUE(find_window(program.pid()));
}

}  // namespace
}  // namespace kelvane::test
