// The layout designer: handles, drags and the copies into the position fields, with the
// numbers worked out by hand.
#include "tests/maker/maker_fixture.h"
#include "tests/support/x_window.h"

#include <gdk/gdkx.h>  // after gtkmm, which its macros would break

namespace kelvane::test {
namespace {

// The browse button where the design puts it.
constexpr TwipsRect kBrowse{3840, 120, 1695, 375};

class Designer : public MakerFixture {
protected:
    Designer() { main().show(); }
    Module2& designer() { return main().designer; }
    Placement& panel() { return main().Frame1.area(); }
    TwipsRect rect(Gtk::Widget& w) { return *panel().rect(w); }
    TwipsRect browse() { return rect(main().Command1); }
    std::pair<float, float> handle_at(int i) { return {rect(*designer().handle[i]).left, rect(*designer().handle[i]).top}; }
    void select_browse() { designer().SelectControl(main().Command1); }
    void drag(int index, float x, float y, int button = vbLeftButton) { main().handle_MouseMove(index, button, 0, x, y); }
    std::vector<std::string> field_texts(int from, int to) {
        std::vector<std::string> texts;
        for (int n = from; n <= to; ++n) texts.push_back(positions().Text(n).get_text());
        return texts;
    }
    // Where the X server sends the pointer's events for a point of a widget.
    std::pair<int, int> at(Gtk::Widget& widget, int x, int y) {
        int wx = 0, wy = 0;
        widget.translate_coordinates(main(), x, y, wx, wy);
        return {wx, wy};
    }
};

TEST_F(Designer, NineHandlesStandAroundTheSelectedControl) {
    ASSERT_EQ(designer().handle.size(), 1u);
    EXPECT_FALSE(designer().handle[0]->get_visible()) << "hidden from the start";
    designer().HideHandles();  // before any selection: only the hidden handle 0 is there
    ASSERT_EQ(designer().handle.size(), 1u);
    EXPECT_FALSE(designer().handle[0]->get_visible());
    EXPECT_EQ(rect(*designer().handle[0]).width, 90);

    select_browse();
    select_browse();
    ASSERT_EQ(designer().handle.size(), 9u) << "a second selection makes no new handles";
    // Clockwise from the top-left corner, then the centre; 90 twips a side.
    const std::pair<float, float> expected[] = {{3750, 30},  {4642.5, 30},  {5535, 30},  {5535, 262.5}, {5535, 495},
                                                {4642.5, 495}, {3750, 495}, {3750, 262.5}, {4642.5, 262.5}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(handle_at(i), expected[i]) << i;
        EXPECT_TRUE(designer().handle[i]->get_visible()) << i;
    }
    designer().HideHandles();
    for (auto& h : designer().handle) EXPECT_FALSE(h->get_visible());
    EXPECT_EQ(designer().selected(), &main().Command1);
}

// Grabbed at (45, 45), one move on a handle: the edges of that handle follow the pointer,
// a width or height below zero is refused, and the handles stand around the result.
TEST_F(Designer, EachHandleMovesItsEdges) {
    const struct {
        int index;
        float x, y;
        TwipsRect after;
    } cases[] = {
        {0, 145, 95, {3940, 170, 1595, 325}},   {1, 145, 95, {3840, 170, 1695, 325}},
        {2, 145, 95, {3840, 170, 1795, 325}},   {3, 145, 95, {3840, 120, 1795, 375}},
        {4, 145, 95, {3840, 120, 1795, 425}},   {5, 145, 95, {3840, 120, 1695, 425}},
        {6, 145, 95, {3940, 120, 1595, 425}},   {7, -55, 45, {3740, 120, 1795, 375}},
        {8, 195, -30, {3990, 45, 1695, 375}},   // the centre moves and keeps the size
        {3, -1955, 45, kBrowse},                // a width below zero: nothing
        {6, 2045, 95, kBrowse},                 // one update with a width below zero: nothing
        {7, 2045, 45, {5840, 120, 1695, 375}},  // the left edge moves first, the refused width stays
    };
    select_browse();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        panel().set_rect(main().Command1, kBrowse);
        drag(c.index, 0, 0);  // far from where the last case ended, so the next move counts
        main().handle_MouseDown(c.index, vbLeftButton, 0, 45, 45);
        panel().set_rect(main().Command1, kBrowse);
        drag(c.index, c.x, c.y);
        EXPECT_EQ(browse(), c.after);
        const TwipsRect r = c.after;
        EXPECT_EQ(handle_at(8), std::make_pair(r.left + r.width / 2 - 45, r.top + r.height / 2 - 45));
        EXPECT_EQ(handle_at(4), std::make_pair(r.left + r.width, r.top + r.height));
    }
}

TEST_F(Designer, OnlyRealMovesOfTheLeftButtonAloneDrag) {
    select_browse();
    main().handle_MouseDown(4, vbRightButton, 0, 45, 45);
    drag(4, 500, 500, vbRightButton);
    drag(4, 600, 600, vbLeftButton | vbRightButton);
    EXPECT_EQ(browse(), kBrowse);

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

// Width, height, top and left of the pressed control go into its four fields, as digits.
TEST_F(Designer, APressOnAControlCopiesItsGeometryAndTheButtonSaysWhatElse) {
    panel().set_rect(main().Text1, {100, 200, 4642.5f, 300});
    std::vector<int> order;
    for (int n : {1, 2, 3, 4}) positions().Text(n).signal_changed().connect([&order, n] { order.push_back(n); });
    main().Control_MouseDown(Control::Text1, vbRightButton);  // selects
    EXPECT_EQ(designer().selected(), &main().Text1);
    EXPECT_TRUE(designer().handle[8]->get_visible());
    EXPECT_EQ(order, (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(field_texts(1, 4), (std::vector<std::string>{"300", "200", "100", "4642.5"}));

    ASSERT_TRUE(panel().set_rect(main().Text1, {-0.25f, 100000, 123456, 200000}));  // never an exponent
    main().Control_MouseDown(Control::Text1, vbMiddleButton);  // only copies
    EXPECT_EQ(field_texts(1, 4), (std::vector<std::string>{"200000", "100000", "-0.25", "123456"}));
    EXPECT_TRUE(designer().handle[8]->get_visible());

    panel().set_rect(main().Command3, {1000, 2000, 3000, 400});  // the preview's back button
    main().Control_MouseDown(Control::Command2, vbLeftButton);  // hides
    EXPECT_EQ(field_texts(9, 12), (std::vector<std::string>{"3000", "400", "2000", "1000"}));
    EXPECT_FALSE(designer().handle[8]->get_visible());
}

TEST_F(Designer, APanelPressCopiesSixteenFieldsAndTheWindowOnlyHides) {
    select_browse();
    main().handle_MouseDown(4, vbLeftButton, 0, 45, 45);
    drag(4, 345, 145);
    positions().Text(17).set_text("typed");
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"1695", "375"})) << "dragging writes no field";

    main().Form_MouseDown(vbLeftButton);
    EXPECT_FALSE(designer().handle[0]->get_visible());
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"1695", "375"}));

    main().Frame_MouseDown(vbRightButton);
    EXPECT_EQ(field_texts(1, 16), (std::vector<std::string>{"375", "120", "120", "3735", "1995", "475", "120", "3840",
                                                            "1695", "375", "120", "5520", "1455", "375", "120", "7200"}));
    EXPECT_EQ(field_texts(17, 20), (std::vector<std::string>{"typed", "4455", "600", "120"}));
}

// The whole way with real pointer events: select, drag a handle, click the empty panel;
// the fields then hold the dragged size. A press on the colour preview label, which has
// no window of its own, reaches the settings panel but is not on its empty area.
TEST_F(Designer, RealPointerEventsSelectDragAndCopy) {
    ASSERT_TRUE(show_and_wait_drawn(main()));
    const unsigned long xid = gdk_x11_window_get_xid(main().get_window()->gobj());
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
    ASSERT_EQ(designer().selected(), &main().Command1);
    ASSERT_TRUE(designer().handle[4]->get_mapped());

    // Drag the bottom-right handle 30 pixels right and 10 down, in small steps of unequal
    // sizes: the handle follows the pointer, so equal steps would each reach it at the same
    // point of the handle, and a move to where the last one was is ignored.
    auto pointer = at(*designer().handle[4], 3, 3);
    ASSERT_TRUE(pointer_move(xid, pointer.first, pointer.second));
    ASSERT_TRUE(pointer_button(1, true));
    ASSERT_TRUE(settle(main()));
    TwipsRect expected = browse();
    for (auto [right, down] : {std::pair{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {4, 1}, {3, 1}, {2, 1}}) {
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

    positions().Text(5).set_text("typed");
    press(at(main().Label1, 20, 10), 1);
    EXPECT_TRUE(designer().handle[4]->get_visible());
    EXPECT_EQ(positions().Text(5).get_text(), "typed");

    press(at(main().Frame1.area(), 300, 345), 1);  // the empty part of the panel, below the web view
    EXPECT_FALSE(designer().handle[4]->get_visible());
    EXPECT_EQ(field_texts(5, 6), (std::vector<std::string>{"2145", "525"}));
}

}  // namespace
}  // namespace kelvane::test
