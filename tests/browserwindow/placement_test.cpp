// Placing controls at exact twips rectangles, below their natural minimum too, and the
// window codes a form takes.
#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include <array>
#include <cmath>
#include <limits>

#include "platform/form.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

class PlacementTest : public testing::Test {
protected:
    PlacementTest() : form(6000, 4000) {
        form.client().put(button, {150, 300, 1500, 375});
        form.client().put(entry, {0, 0, 3000, 375});
        button.set_label("A long caption that does not fit");
        form.show_all();
        pump_until([&] { return form.get_mapped(); });
    }
    Form form;
    Gtk::Button button;
    Gtk::Entry entry;
};

TEST_F(PlacementTest, ChildGetsExactlyItsRectangleInPixelsAndReadsBackAsSet) {
    ASSERT_TRUE(form.client().set_rect(entry, {300, 600, 900, 300}));
    ASSERT_TRUE(settle(button) && settle(entry));
    const auto a = button.get_allocation(), e = entry.get_allocation();
    // A long caption must not widen the button, nor the theme's minimum raise the entry.
    EXPECT_EQ((std::array{a.get_x(), a.get_y(), a.get_width(), a.get_height(), e.get_width(), e.get_height()}),
              (std::array{10, 20, 100, 25, 60, 20}));
    ASSERT_TRUE(form.client().set(button, Edge::Left, 4642.5f));
    ASSERT_TRUE(form.client().set(button, Edge::Top, -300));  // partly out of the window
    ASSERT_TRUE(form.client().set(button, Edge::Width, 20));
    EXPECT_EQ(*form.client().rect(button), (TwipsRect{4642.5f, -300, 20, 375}));
}

// Negative or not finite, or beyond the 16 bits in which X keeps coordinates and sizes
// (32767 pixels): refused, and the old rectangle stays; window codes out of their range too.
TEST_F(PlacementTest, RefusesBadValuesAndKeepsTheOldOnes) {
    const TwipsRect before = *form.client().rect(button);
    const std::pair<Edge, float> edges[] = {{Edge::Width, -1}, {Edge::Height, -15}, {Edge::Top, std::nanf("")},
                                            {Edge::Left, std::numeric_limits<float>::infinity()},
                                            {Edge::Left, 1e7f}, {Edge::Top, -491520}};
    for (auto [edge, twips] : edges) EXPECT_FALSE(form.client().set(button, edge, twips)) << twips;
    for (const TwipsRect& rect : {TwipsRect{0, 0, 100, 1e9f}, TwipsRect{0, 0, -1, 100}, TwipsRect{0, 0, 100, -1}})
        EXPECT_FALSE(form.client().set_rect(button, rect)) << rect.width << " by " << rect.height;
    EXPECT_FALSE(form.set_width(-1) || form.set_height(491520));
    Gtk::Button stranger;
    EXPECT_FALSE(form.client().set(stranger, Edge::Left, 0));
    EXPECT_EQ(*form.client().rect(button), before);

    for (int code : {-1, 6}) EXPECT_FALSE(form.set_border_style(code)) << code;
    for (int code : {-1, 3}) EXPECT_FALSE(form.set_window_state(code)) << code;
    for (int code : {-1, 16, 98}) EXPECT_FALSE(form.set_mouse_pointer(code)) << code;
    for (int code : {0, 15, 99}) EXPECT_TRUE(form.set_mouse_pointer(code)) << code;
    EXPECT_FALSE(form.set_back_color(-1) || form.set_back_color(0x1000000));
    EXPECT_TRUE(form.set_back_color(0x00FFFFFF)) << "white";
    // The type hint changes on a shown window, which stays shown.
    ASSERT_TRUE(form.set_border_style(3));
    EXPECT_EQ(form.get_type_hint(), Gdk::WINDOW_TYPE_HINT_DIALOG);
    EXPECT_TRUE(pump_until([&] { return form.get_mapped(); }));
    ASSERT_TRUE(form.set_border_style(5));
    EXPECT_TRUE(form.get_resizable());
}

}  // namespace
}  // namespace kelvane::test
