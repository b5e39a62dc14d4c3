// The start menu's options and its end.
#include "maker/dialogs/start_menu.h"

#include "tests/maker/maker_fixture.h"

namespace kelvane::test {
namespace {

struct OptionCase {
    const char* name;
    Gtk::CheckButton StartMenu::*box;
    unsigned interval;  // of the song preview, in ms
    int border;
    bool clock;
};

class Options : public MakerFixture, public testing::WithParamInterface<OptionCase> {};

// Checking or unchecking, an option applies to the main window, which it loads but does not
// show, hides the position dialog and says so; it stays when the upper picture button then
// shows the main window and the position dialog and ends the menu.
TEST_P(Options, ApplyToTheHiddenMainWindowConfirmAndStay) {
    const OptionCase& option = GetParam();
    StartMenu& menu = forms.frmSplash();
    menu.show();
    for (int click = 1; click <= 2; ++click) {
        (menu.*option.box).clicked();
        ASSERT_TRUE(forms.loaded(FormId::Form1));
        EXPECT_FALSE(main().get_visible());
        EXPECT_TRUE(window_dialog().get_visible());
        EXPECT_FALSE(positions().get_visible());
        EXPECT_EQ(messages, std::vector<std::string>(click, "Kelvane | 0 | Settings have been changed successfully."));
    }
    menu.Label1_Click();
    EXPECT_TRUE(main().get_visible() && positions().get_visible() && window_dialog().get_visible());
    EXPECT_FALSE(forms.loaded(FormId::frmSplash));
    EXPECT_EQ(all_unloaded, 0);
    EXPECT_EQ(main().Timer3.Interval(), option.interval);
    EXPECT_EQ(main().border_style(), option.border);
    EXPECT_EQ(main().Timer4.Enabled(), option.clock);
}

INSTANTIATE_TEST_SUITE_P(Each, Options,
                         testing::Values(OptionCase{"Cable", &StartMenu::Check1, 100, 1, false},
                                         OptionCase{"DialUp", &StartMenu::Check2, 130, 1, false},
                                         OptionCase{"Border", &StartMenu::Check3, 100, 4, true},
                                         OptionCase{"Clock", &StartMenu::Check4, 100, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class StartMenuTest : public MakerFixture {};

TEST_F(StartMenuTest, ClosingTheMenuAloneEndsTheMaker) {
    forms.frmSplash().show();
    forms.frmSplash().close();
    drain();
    EXPECT_EQ(all_unloaded, 1);
}

}  // namespace
}  // namespace kelvane::test
