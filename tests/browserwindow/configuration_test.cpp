// The configuration sequence on the real browser window.
#include <gtest/gtest.h>

#include "browserwindow/configuration.h"
#include "tests/support/created_program.h"
#include "tests/support/media_files.h"
#include "tests/support/pump.h"

namespace kelvane::test {
namespace {

constexpr Control kControls[] = {Control::Text1, Control::Command1, Control::Command2, Control::Command3,
                                 Control::WebBrowser1};

class Configuration : public testing::Test {
protected:
    Configuration() {
        record = default_record();
        record.WriteProperty("Text1", std::string("about:blank"));
        record.WriteProperty("url", std::string());
    }

    void configure_window(bool with_holders = true) {
        configure(window, RecordSource(record), with_holders ? &holders : nullptr);
    }
    TwipsRect rect_of(Control c) { return *window.client().rect(window.control(c)); }

    BrowserWindow window;
    Holders holders;
    SettingsRecord record;
};

TEST_F(Configuration, DefaultRecordKeepsTheDesign) {
    configure_window();
    for (Control c : kControls) EXPECT_EQ(rect_of(c), design_rect(c)) << static_cast<int>(c);
    EXPECT_EQ(window.get_title(), "Program Name");
    EXPECT_EQ(window.Command1.get_label(), "Browse Button Name");
    EXPECT_EQ(window.Command2.get_label(), "Back Button Name");
    EXPECT_EQ(window.Command3.get_label(), "Refresh Button Name");
    EXPECT_EQ(window.Text1.get_text(), "about:blank");
    EXPECT_EQ(window.border_style(), 1);
    EXPECT_FALSE(window.get_resizable());
    EXPECT_EQ(holders.Text2, "1");
    EXPECT_EQ(holders.Text3, "Program Name");
    EXPECT_EQ(holders.Text4, "True");
    EXPECT_TRUE(window.StatusBar1.get_visible());
    EXPECT_FALSE(window.WindowsMediaPlayer1.get_visible());
}

TEST_F(Configuration, HeightAndWidthLandCrosswise) {
    record.WriteProperty("custom21", std::string("3000"));
    record.WriteProperty("custom22", std::string("9000"));
    configure_window();
    EXPECT_EQ(window.height(), 3000);
    EXPECT_EQ(window.width(), 9000);

    window.show();
    ASSERT_TRUE(pump_until([&] { return window.get_mapped(); }));
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(window.get_allocated_width(), 600);
    EXPECT_EQ(window.get_allocated_height(), 200);
}

TEST_F(Configuration, AValueThatDoesNotConvertFailsOnlyItsOwnStep) {
    record.WriteProperty("custom3", std::string("abc"));      // address box left
    record.WriteProperty("custom4", std::string(" 2000 "));   // address box width
    record.WriteProperty("custom7", std::string("4642.5"));   // browse button top
    record.WriteProperty("custom18", std::string("-10"));     // web view height: refused
    record.WriteProperty("color", std::string("red"));
    record.WriteProperty("custom23", std::string("abc"));
    record.WriteProperty("custom24", std::string("16"));      // no such pointer
    configure_window();

    EXPECT_EQ(rect_of(Control::Text1), (TwipsRect{120, 120, 2000, 375}));
    EXPECT_EQ(rect_of(Control::Command1).top, 4642.5f);
    EXPECT_EQ(rect_of(Control::WebBrowser1).height, 4455);
    EXPECT_EQ(window.border_style(), 2) << "the design border stays";
    EXPECT_EQ(holders.Text2, "abc");
    EXPECT_EQ(window.mouse_pointer(), 0);
    EXPECT_EQ(window.get_title(), "Program Name") << "later steps still ran";
    EXPECT_TRUE(window.StatusBar1.get_visible());
}

TEST_F(Configuration, BorderPointerAndStateCodes) {
    record.WriteProperty("custom23", std::string("2"));
    record.WriteProperty("custom24", std::string("2.5"));  // rounds to the even 2
    configure_window();
    EXPECT_EQ(window.border_style(), 2);
    EXPECT_TRUE(window.get_resizable());
    EXPECT_TRUE(window.get_decorated());
    EXPECT_EQ(holders.Text2, "2");
    EXPECT_EQ(window.mouse_pointer(), 2);

    record.WriteProperty("custom23", std::string("0"));
    configure_window();
    EXPECT_FALSE(window.get_decorated());
    EXPECT_FALSE(window.get_resizable());
}

struct VisibilityCase {
    const char* name;
    std::int16_t song_switch;
    const char* status_flag;
    bool player, status_bar;
};

class Visibility : public Configuration, public testing::WithParamInterface<VisibilityCase> {};

TEST_P(Visibility, SongSwitchWinsOverTheExactStatusFlag) {
    record.WriteProperty("value", GetParam().song_switch);
    record.WriteProperty("custom26", std::string(GetParam().status_flag));
    configure_window();
    EXPECT_EQ(window.WindowsMediaPlayer1.get_visible(), GetParam().player);
    EXPECT_EQ(window.StatusBar1.get_visible(), GetParam().status_bar);
}

INSTANTIATE_TEST_SUITE_P(Cases, Visibility,
                         testing::Values(VisibilityCase{"SongAndTrue", 1, "True", true, false},
                                         VisibilityCase{"True", 0, "True", false, true},
                                         VisibilityCase{"LowerCase", 0, "true", false, false},
                                         VisibilityCase{"LeadingBlank", 0, " True", false, false},
                                         VisibilityCase{"False", 0, "False", false, false},
                                         VisibilityCase{"SongAndNoWord", 1, "nope", true, false},
                                         VisibilityCase{"FullWidth", 0, "Ｔｒｕｅ", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Configuration, WithoutHoldersOnlyTheSongSwitchDecides) {
    record.WriteProperty("value", std::int16_t{1});
    configure_window(false);
    EXPECT_TRUE(window.WindowsMediaPlayer1.get_visible());
    EXPECT_FALSE(window.StatusBar1.get_visible());
    EXPECT_EQ(window.border_style(), 1);
}

TEST_F(Configuration, EmptyRecordEmptiesEverything) {
    const auto design_icon = window.get_icon();
    record = SettingsRecord();
    configure_window();
    for (Control c : kControls) EXPECT_EQ(rect_of(c), TwipsRect{}) << static_cast<int>(c);
    EXPECT_EQ(window.get_title(), "");
    EXPECT_EQ(window.Command1.get_label(), "");
    EXPECT_EQ(window.Command2.get_label(), "");
    EXPECT_EQ(window.Command3.get_label(), "");
    EXPECT_EQ(window.Text1.get_text(), "");
    EXPECT_EQ(window.width(), 0);
    EXPECT_EQ(window.height(), 0);
    EXPECT_EQ(window.border_style(), 0);
    EXPECT_EQ(window.mouse_pointer(), 0);
    EXPECT_EQ(window.get_icon(), design_icon);
    EXPECT_FALSE(window.WindowsMediaPlayer1.get_visible());
    EXPECT_FALSE(window.StatusBar1.get_visible());
    EXPECT_EQ(holders.Text4, "");

    window.show();  // an empty browser still opens
    EXPECT_TRUE(pump_until([&] { return window.get_mapped(); }));
}

TEST_F(Configuration, PicturesBecomeIconAndBackground) {
    record.WriteProperty("picture", png_picture(32, 32));
    record.WriteProperty("picture1", png_picture(64, 48));
    configure_window();
    ASSERT_TRUE(window.get_icon());
    EXPECT_EQ(window.get_icon()->get_width(), 32);
    ASSERT_TRUE(window.Image1);
    EXPECT_EQ(window.Image1->get_height(), 48);

    // An empty picture, bytes that are no image, or an absurdly large image: no picture.
    for (const Picture& none : {Picture{}, Picture{{1, 2, 3, 4}}, png_picture(9000, 1)}) {
        record.WriteProperty("picture", none);
        record.WriteProperty("picture1", none);
        configure_window();
        EXPECT_FALSE(window.get_icon());
        EXPECT_FALSE(window.Image1);
    }
}

}  // namespace
}  // namespace kelvane::test
