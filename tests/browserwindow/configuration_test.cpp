// The configuration sequence on the real browser window: each step fails on its own, and
// what a record that holds nothing leaves.
#include <gtest/gtest.h>

#include "browserwindow/configuration.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

class Configuration : public testing::Test {
protected:
    Configuration() {
        record.WriteProperty("Text1", std::string("about:blank"));
        record.WriteProperty("url", std::string());
    }
    void configure_window() { configure(window, RecordSource(record), &holders); }
    TwipsRect rect_of(Control c) { return *window.client().rect(window.control(c)); }

    BrowserWindow window;
    Holders holders;
    SettingsRecord record = default_record();
};

TEST_F(Configuration, AValueThatDoesNotConvertOrFitFailsOnlyItsOwnStep) {
    // The address box's left, its width (blanks around a number are fine), the browse
    // button's top, the web view's height (refused) and width (beyond the 32767 pixels X
    // can draw), the back button's width (one pixel too many) and left (the last X can
    // hold), the window's width, colour, border, and a pointer code that is none; bytes that
    // are no image, and an absurdly large image, give no picture.
    const std::pair<const char*, const char*> values[] = {
        {"custom3", "abc"},   {"custom4", " 2000 "}, {"custom7", "4642.5"}, {"custom18", "-10"},
        {"custom17", "1e7"},  {"custom9", "491520"}, {"custom12", "491505"}, {"custom22", "1e30"},
        {"color", "red"},     {"custom23", "abc"},   {"custom24", "16"}};
    for (auto [key, value] : values) record.WriteProperty(key, std::string(value));
    record.WriteProperty("picture", png_picture(32, 32));
    record.WriteProperty("picture1", png_picture(64, 48));
    configure_window();
    ASSERT_TRUE(window.get_icon() && window.Image1);
    record.WriteProperty("picture", Picture{{1, 2, 3, 4}});
    record.WriteProperty("picture1", png_picture(9000, 1));
    configure_window();
    EXPECT_FALSE(window.get_icon() || window.Image1);
    EXPECT_EQ(rect_of(Control::Text1), (TwipsRect{120, 120, 2000, 375}));
    EXPECT_EQ(rect_of(Control::Command1).top, 4642.5f);
    EXPECT_EQ(rect_of(Control::Command2), (TwipsRect{491505, 120, 1695, 375}));
    EXPECT_EQ(rect_of(Control::WebBrowser1), (TwipsRect{120, 600, 8535, 4455})) << "the design place stays";
    EXPECT_EQ(window.border_style(), 2) << "the design border stays";
    EXPECT_EQ(holders.Text2, "abc");
    EXPECT_EQ(window.mouse_pointer(), 0);
    EXPECT_EQ(window.get_title(), "Program Name") << "later steps still ran";
    EXPECT_TRUE(window.StatusBar1.get_visible());
    window.show();
    EXPECT_TRUE(pump_until([&] {
        return window.get_mapped() && window.get_allocated_width() == 8670 / 15 && window.get_allocated_height() == 6180 / 15;
    })) << "the design width stays";
}

// The song switch wins over the status flag, which must be exactly "True"; without
// holders (the full preview) only the song switch decides.
TEST_F(Configuration, PlayerOrStatusBarByTheSongSwitchAndTheExactFlag) {
    const struct {
        std::int16_t song_switch;
        const char* status_flag;
        bool holders, player, status_bar;
    } cases[] = {{1, "True", true, true, false},   {0, "True", true, false, true}, {0, "true", true, false, false},
                 {0, " True", true, false, false}, {0, "Ｔｒｕｅ", true, false, false}, {0, "True", false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.song_switch) + " " + c.status_flag + (c.holders ? "" : " without holders"));
        BrowserWindow fresh;
        record.WriteProperty("value", c.song_switch);
        record.WriteProperty("custom26", std::string(c.status_flag));
        configure(fresh, RecordSource(record), c.holders ? &holders : nullptr);
        EXPECT_EQ(fresh.WindowsMediaPlayer1.get_visible(), c.player);
        EXPECT_EQ(fresh.StatusBar1.get_visible(), c.status_bar);
    }
}

// A created program whose trailer held nothing, such as the template started by itself.
TEST_F(Configuration, AnEmptyRecordEmptiesEverythingButThePictures) {
    const auto design_icon = window.get_icon();
    record = SettingsRecord();
    configure_window();
    for (Control c : {Control::Text1, Control::Command1, Control::Command2, Control::Command3, Control::WebBrowser1})
        EXPECT_EQ(rect_of(c), TwipsRect{}) << static_cast<int>(c);
    for (const Glib::ustring& text : {window.get_title(), window.Command1.get_label(), window.Command2.get_label(),
                                      window.Command3.get_label(), window.Text1.get_text(), holders.Text4})
        EXPECT_EQ(text, "");
    EXPECT_EQ(std::tuple(window.width(), window.height(), window.border_style()), std::tuple(0.0f, 0.0f, 0));
    EXPECT_EQ(window.get_icon(), design_icon);
    EXPECT_FALSE(window.WindowsMediaPlayer1.get_visible() || window.StatusBar1.get_visible());
    window.show();  // an empty browser still opens
    EXPECT_TRUE(pump_until([&] { return window.get_mapped(); }));
}

}  // namespace
}  // namespace kelvane::test
